#pragma once
// Lines of a C stream, with a failed read told apart from the end of the
// input, and no line allowed to grow past a bound.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace talsk::cli {

class LineReader {
public:
    enum class Result { Line, End, TooLong, Failed };

    LineReader(std::FILE* stream, size_t longestLine);
    // The next line without its '\n' (a '\r' before it stays). TooLong when
    // it holds more than longestLine bytes: the rest is not read. Failed when
    // the stream could not be read; error() says why.
    Result next(std::string& line);
    int error() const { return error_; } // errno of the failed read

private:
    std::FILE* stream_;
    size_t longest_;
    std::vector<char> buffer_;
    size_t at_ = 0;
    size_t end_ = 0;
    bool ended_ = false;
    int error_ = 0;
};

} // namespace talsk::cli
