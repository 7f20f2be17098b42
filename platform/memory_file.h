#pragma once
// A file held in memory: builds a whole file image before it touches the disk,
// and lets tests and fuzzers load bases from bytes.

#include "platform/file.h"

#include <vector>

namespace talsk {

class MemoryFile : public File {
public:
    MemoryFile() = default;
    explicit MemoryFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    bool isOpen() const override { return open_; }
    int64_t length() override { return open_ ? static_cast<int64_t>(bytes_.size()) : -1; }
    bool seek(int64_t offset) override;
    int64_t read(void* buffer, int64_t size) override;
    bool write(const void* data, int64_t size) override;
    bool truncate(int64_t size) override;
    bool reserve(int64_t size) override;
    bool flush() override { return open_; }
    void close() override { open_ = false; }

    const std::vector<unsigned char>& bytes() const { return bytes_; }
    std::vector<unsigned char>& bytes() { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
    int64_t position_ = 0;
    bool open_ = true;
};

} // namespace talsk
