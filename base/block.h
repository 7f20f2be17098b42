#pragma once
// An owned raw memory block with the growth rule shared by pools and indexes:
// requests are rounded up to a multiple of 4; a block that is already at least
// as large as the request, and larger by fewer than 16 bytes, is kept; any
// other request reallocates to exactly the requested size (which may shrink it).

#include <cstddef>

namespace talsk {

class Block {
public:
    Block() = default;
    ~Block() { reset(); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    Block(Block&& other) noexcept { swap(other); }
    Block& operator=(Block&& other) noexcept {
        if (this != &other) {
            reset();
            swap(other);
        }
        return *this;
    }

    // Applies the growth rule; keeps the content up to the smaller size.
    // Returns false (and keeps the block as it was) when memory cannot be had.
    [[nodiscard]] bool resize(size_t request);
    // Like resize, but the bytes added are zeroed.
    [[nodiscard]] bool resizeZeroed(size_t request);
    void reset();
    void swap(Block& other) noexcept;

    char* data() { return data_; }
    const char* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return data_ == nullptr; }

private:
    char* data_ = nullptr;
    size_t size_ = 0;
};

} // namespace talsk
