#include "platform/terminal.h"

#include "platform/wide_text.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace talsk {

void prepareStandardStreams() {
    // Text mode would turn "\n" into "\r\n" in a redirected output: the bytes
    // must be those the program writes, as on any other system.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The program writes UTF-8; a console shows it so only when told, and
    // gets its own code page back when the program ends.
    static const UINT previous = GetConsoleOutputCP();
    if (previous != 0 && previous != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit([] { SetConsoleOutputCP(previous); });
}

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    // argv went through the ANSI code page, which loses most names: the
    // wide command line is what the user typed.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return argc < 2 ? std::vector<std::string>{}
                        : std::vector<std::string>(argv + 1, argv + argc);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i)
        args.push_back(wideToUtf8(wide[i], wcslen(wide[i])));
    LocalFree(wide);
    return args;
}

namespace {
HANDLE consoleInput() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    return in != INVALID_HANDLE_VALUE && in != nullptr && GetConsoleMode(in, &mode) ? in : nullptr;
}
} // namespace

bool stdinIsTerminal() {
    return consoleInput() != nullptr;
}

bool readSecretLine(const std::string& prompt, size_t maxLength, std::string& line) {
    HANDLE in = consoleInput();
    DWORD saved = 0;
    if (in == nullptr || !GetConsoleMode(in, &saved)) return false;
    // Echo goes off before the prompt shows, so nothing typed after it is echoed.
    if (!SetConsoleMode(in, (saved | ENABLE_LINE_INPUT) & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)))
        return false;
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    std::wstring typed;
    wchar_t buffer[256];
    DWORD got = 0;
    // The console hands the line over in pieces, up to its end (CR LF).
    while (ReadConsoleW(in, buffer, 256, &got, nullptr) && got > 0) {
        typed.append(buffer, got);
        if (typed.back() == L'\n') break;
    }
    SetConsoleMode(in, saved);
    std::fputc('\n', stderr);
    while (!typed.empty() && (typed.back() == L'\n' || typed.back() == L'\r'))
        typed.pop_back();
    line = wideToUtf8(typed);
    if (line.size() > maxLength) line.resize(maxLength);
    return true;
}

} // namespace talsk
