#include "platform/memory_file.h"

#include <cstring>

namespace talsk {

bool MemoryFile::seek(int64_t offset) {
    if (!open_ || offset < 0) return false;
    position_ = offset;
    return true;
}

int64_t MemoryFile::read(void* buffer, int64_t size) {
    if (!open_ || size < 0) return -1;
    int64_t available = static_cast<int64_t>(bytes_.size()) - position_;
    if (available <= 0) return 0;
    int64_t n = size < available ? size : available;
    std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

bool MemoryFile::write(const void* data, int64_t size) {
    if (!open_ || size < 0) return false;
    size_t end = static_cast<size_t>(position_ + size);
    if (end > bytes_.size()) bytes_.resize(end);
    if (size > 0) std::memcpy(bytes_.data() + position_, data, static_cast<size_t>(size));
    position_ += size;
    return true;
}

bool MemoryFile::truncate(int64_t size) {
    if (!open_ || size < 0) return false;
    bytes_.resize(static_cast<size_t>(size));
    return true;
}

bool MemoryFile::reserve(int64_t size) {
    if (!open_ || size < 0) return false;
    if (static_cast<size_t>(size) > bytes_.size()) bytes_.resize(static_cast<size_t>(size));
    return true;
}

} // namespace talsk
