#pragma once
// Writing whole files without ever leaving a damaged one: the new content goes
// to a temporary file beside the target, is flushed, and is renamed over it.
// Symbolic links are followed to the file really written.

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
// locked; the old handle is closed. The new file keeps the old one's
// permissions. When the folder takes no new file, the image is written in
// place instead, in one go.
bool writeFileImage(const std::string& path, const void* data, int64_t size,
                    std::unique_ptr<File>& held);

// For small files written and closed at once (settings, search log, key
// store). ownerOnly makes the file readable by its owner alone; otherwise it
// keeps the old file's permissions, or gets the usual ones when new.
bool writeFileAtomically(const std::string& path, const void* data, size_t size, bool ownerOnly);

// Reads at most maxSize bytes from the start of a file; false when it cannot
// be opened or read.
bool readFileHead(const std::string& path, size_t maxSize, std::string& bytes);

} // namespace talsk
