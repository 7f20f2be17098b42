#pragma once
// Writing whole files without ever leaving a damaged one: the new content goes
// to a temporary file beside the target, is flushed, and is renamed over it.
// Symbolic links are followed to the file really written, even one that does
// not exist yet. Every failure names its cause in *cause when asked.

#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace talsk {

// For files a program keeps open while it works on them (base files).
// `held` is the caller's open handle of the target, if any: it keeps the
// writer lock while the image is prepared. When it is empty and the target
// exists, the writer lock is taken first, so that a file another program holds
// for writing is left alone. On success `held` is the new file, open and
// locked; the old handle is closed. The new file keeps the old one's owner
// (at least its group) and permissions. A file with the read-only attribute is
// refused.
//
// The image is written in place instead when the folder refuses new files by
// permission, when the file has several names (hard links), which a rename
// would part, or when the new file could not be given to the old one's owner
// and would shut him out. Room for it is reserved first, so that a full disk
// fails before any byte changes, and the old content is journaled (see
// journal.h), so that a crash leaves the old file or the new one.
[[nodiscard]] bool writeFileImage(const std::string& path, const void* data, int64_t size,
                                  std::unique_ptr<File>& held, WriteError* cause = nullptr);

// For small files written and closed at once (settings, search log, key
// store). ownerOnly makes the file readable by its owner alone; otherwise it
// keeps the old file's owner and permissions, or gets the usual ones when new.
// A file with several names, or one that would be taken from its owner, is
// written in place, as above.
[[nodiscard]] bool writeFileAtomically(const std::string& path, const void* data, size_t size,
                                       bool ownerOnly, WriteError* cause = nullptr);

// Reads at most maxSize bytes from the start of a file; false when it cannot
// be opened or read.
[[nodiscard]] bool readFileHead(const std::string& path, size_t maxSize, std::string& bytes);

} // namespace talsk
