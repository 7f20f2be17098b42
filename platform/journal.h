#pragma once
// Saves that cannot put a new file in the old one's place write over it. Before
// the first byte changes, the old content goes to a journal, synced; the
// journal goes only once the new content and length are on the disk. A save
// killed in between is undone the next time the file is opened, so the file
// is always either the old one or the new one.
//
// A journal lies beside its file when the folder takes new files, else in the
// user's data folder; both are named by the file's identity, so that every name
// of a file with several finds it (".talsk-journal-DEVICE-INDEX" beside, and
// "talsk-journals/DEVICE-INDEX.journal" in the user's data folder). Its
// header names the file by identity and holds the old length and a checksum
// over itself and the old content: a journal whose checksum fails was torn
// while it was written, before the file was touched, and is thrown away.

#include "platform/file.h"

#include <cstdint>
#include <functional>
#include <string>

namespace talsk {

// Writes `size` bytes of `data` over the open, locked `file`, which is the
// file `target` (symbolic links resolved), journaled as above. Room is
// reserved before any byte changes, so a full disk leaves the file as it was.
// A failure after the file was touched restores the old content at once.
WriteError writeJournaled(FileSystem& fs, const std::string& target, File& file, const void* data,
                          int64_t size);

enum class Recovery {
    None,       // no journal names the file (or only a torn one, now removed)
    RolledBack, // a save that was cut short was undone: the file is as before it
    Failed,     // a journal names the file, but the file could not be restored
};

// Undoes a save of `path` that was cut short, when a journal names the file.
// A file another program holds for writing is left alone: the journal may be
// that program's save under way. Call it before opening a file that may have
// been written in place; what it did goes to the reporter too.
Recovery recoverFile(const std::string& path);

// Where undone saves are told: the command line prints a line, the window
// shows it in its status bar. Set it before files are opened; it may be
// called from any thread.
using RecoveryReporter = std::function<void(const std::string& path, Recovery what)>;
void setRecoveryReporter(RecoveryReporter reporter);

// Where the journal of a file lies beside it (target is one of its names),
// and in the user's data folder; empty when the file has no identity, or the
// system names no data folder.
std::string journalBeside(const std::string& target, const FileAttributes& a);
std::string journalOfIdentity(const FileAttributes& a);

} // namespace talsk
