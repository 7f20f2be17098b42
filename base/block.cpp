#include "base/block.h"

#include "platform/memory_advice.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace talsk {

namespace {
// From this size a block would go to the system on its own (glibc's first
// mapping threshold): the allocator is set up before the first of them, if
// the loading has not done so already.
constexpr size_t kMappedBlock = size_t(128) << 10;
} // namespace

bool Block::resize(size_t request) {
    size_t rounded = (request + 3) & ~static_cast<size_t>(3);
    if (data_ != nullptr && size_ >= rounded && size_ - rounded < 16) return true;
    if (rounded == 0) {
        reset();
        return true;
    }
    if (rounded >= kMappedBlock) keepFreedLargeBlocks();
    void* p = std::realloc(data_, rounded);
    if (p == nullptr) return false;
    data_ = static_cast<char*>(p);
    size_ = rounded;
    // Big pools are filled at once when a table loads: page faults per 4 KB
    // would cost more than the decoding.
    if (rounded >= kMappedBlock) adviseLargeBlock(data_, size_);
    return true;
}

bool Block::resizeZeroed(size_t request) {
    size_t old = data_ ? size_ : 0;
    if (!resize(request)) return false;
    if (size_ > old) std::memset(data_ + old, 0, size_ - old);
    return true;
}

void Block::reset() {
    std::free(data_);
    data_ = nullptr;
    size_ = 0;
}

void Block::swap(Block& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
}

} // namespace talsk
