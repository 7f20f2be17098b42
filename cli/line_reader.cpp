#include "cli/line_reader.h"

#include <cerrno>
#include <cstring>

namespace talsk::cli {

LineReader::LineReader(std::FILE* stream, size_t longestLine)
    : stream_(stream), longest_(longestLine), buffer_(64 * 1024) {}

LineReader::Result LineReader::next(std::string& line) {
    line.clear();
    for (;;) {
        if (at_ < end_) {
            const char* start = buffer_.data() + at_;
            const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - at_));
            const size_t taken = newline != nullptr ? size_t(newline - start) : end_ - at_;
            if (line.size() + taken > longest_) return Result::TooLong;
            line.append(start, taken);
            at_ += taken;
            if (newline != nullptr) {
                ++at_;
                return Result::Line;
            }
        }
        if (error_ != 0) return Result::Failed;
        if (ended_) return line.empty() ? Result::End : Result::Line;
        errno = 0;
        end_ = std::fread(buffer_.data(), 1, buffer_.size(), stream_);
        at_ = 0;
        // What was read before a failure is of no use: the input is not whole.
        if (std::ferror(stream_) != 0) {
            error_ = errno != 0 ? errno : EIO;
            end_ = 0;
            return Result::Failed;
        }
        ended_ = end_ == 0;
    }
}

} // namespace talsk::cli
