#include "platform/terminal.h"

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace talsk {

void prepareStandardStreams() {} // streams carry bytes; terminals take UTF-8

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
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    if (c == EOF) std::fputc('\n', stderr);
    return true;
}

} // namespace talsk
