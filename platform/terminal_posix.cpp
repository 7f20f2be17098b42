#include "platform/terminal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace talsk {

// Streams carry bytes and terminals take UTF-8 as they are. A standard stream
// the caller closed stays unusable, but its number is taken, so that no file
// opened later becomes standard input or output by mistake: /dev/null opened
// the other way round fails every read or write as the closed stream would.
void prepareStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int held = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (held >= 0 && held != fd) {
            dup2(held, fd);
            close(held);
        }
    }
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return argc < 2 ? std::vector<std::string>{} : std::vector<std::string>(argv + 1, argv + argc);
}

bool stdinIsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

bool readSecretLine(const std::string& prompt, size_t maxLength, std::string& line) {
    if (!stdinIsTerminal()) return false;
    // Echo goes off before the prompt shows, so nothing typed after it is echoed.
    termios saved{};
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return false;
    termios silent = saved;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent) != 0) return false;
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    line.clear();
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        if (line.size() < maxLength) line += static_cast<char>(c);
    const bool failed = std::ferror(stdin) != 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    if (c == EOF) std::fputc('\n', stderr);
    return !failed;
}

} // namespace talsk
