#include "cli/output.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace talsk::cli {

namespace {
// The errno of the first failed write; 0 while none failed. The stream's
// own error flag does not keep the cause.
int firstError = 0;

bool checked(bool written) {
    if (!written && firstError == 0) firstError = errno != 0 ? errno : EIO;
    return firstError == 0;
}
} // namespace

bool print(const char* format, ...) {
    if (firstError != 0) return false;
    std::va_list args;
    va_start(args, format);
    errno = 0;
    const int n = std::vfprintf(stdout, format, args);
    va_end(args);
    return checked(n >= 0);
}

bool writeOut(const std::string& text) {
    if (firstError != 0) return false;
    errno = 0;
    return checked(std::fwrite(text.data(), 1, text.size(), stdout) == text.size());
}

int finishOutput(int status) {
    errno = 0;
    checked(std::fflush(stdout) == 0 && !std::ferror(stdout));
    errno = 0;
    checked(std::fclose(stdout) == 0);
    if (firstError == 0) return status;
    if (firstError != EPIPE)
        std::fprintf(stderr, "talsk-cli: write error: %s\n", std::strerror(firstError));
    return status != 0 ? status : 1;
}

} // namespace talsk::cli
