#pragma once
// Writing a small file whole without ever leaving a damaged one behind.

#include <cstddef>
#include <string>

namespace talsk {

// Writes the bytes to a temporary file beside `path`, flushes it and renames it
// over `path` (symbolic links are followed to the file really written). With
// keepPermissions the new file takes the permission bits of the old one;
// otherwise it keeps those of a fresh temporary file (owner only).
bool writeFileAtomically(const std::string& path, const void* data, size_t size,
                         bool keepPermissions);

// Reads at most maxSize bytes from the start of a file; false when it cannot
// be opened or read.
bool readFileHead(const std::string& path, size_t maxSize, std::string& bytes);

} // namespace talsk
