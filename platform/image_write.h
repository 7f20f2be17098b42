#pragma once
// Writing a whole file image without ever leaving a damaged file: a temporary
// file beside the target, flushed and renamed over it.

#include "platform/file.h"

#include <cstdint>
#include <memory>
#include <string>

namespace talsk {

// Writes `size` bytes as the new content of `path` (symbolic links are
// followed to the file really written). `held` is the caller's open handle of
// the target, if any: it keeps the writer lock while the image is prepared.
// When it is empty and the target exists, the writer lock is taken first, so
// that a file another program holds for writing is left alone. On success
// `held` is the new file, open and locked; the old handle is closed.
// When the folder takes no new file, the image is written in place instead.
bool writeFileImage(const std::string& path, const void* data, int64_t size,
                    std::unique_ptr<File>& held);

} // namespace talsk
