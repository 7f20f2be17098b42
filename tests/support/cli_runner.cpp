#include "support/cli_runner.h"

#include "support/temp_dir.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifndef TALSK_CLI_PATH
#define TALSK_CLI_PATH "talsk-cli"
#endif

namespace talsk::test {

namespace {
std::string readAll(const std::string& path) {
    std::ifstream in(nativePath(path), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

#ifdef _WIN32
// One argument as CommandLineToArgvW reads it back: quoted, with the
// backslashes before a quote doubled.
std::wstring quoted(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

std::wstring wide(const std::string& utf8) {
    const std::u8string s(utf8.begin(), utf8.end());
    return std::filesystem::path(s).wstring();
}

HANDLE inheritable(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int run(const std::vector<std::string>& args, const std::string& inPath, const std::string& outPath,
        const std::string& errPath) {
    const std::wstring tool = wide(TALSK_CLI_PATH);
    std::wstring line = quoted(tool);
    for (const std::string& a : args)
        line += L" " + quoted(wide(a));
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = inheritable(inPath, false);
    start.hStdOutput = inheritable(outPath, true);
    start.hStdError = inheritable(errPath, true);
    PROCESS_INFORMATION child{};
    int status = -1;
    if (CreateProcessW(tool.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &start, &child)) {
        DWORD code = 0;
        if (WaitForSingleObject(child.hProcess, INFINITE) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(child.hProcess, &code))
            status = static_cast<int>(code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    for (HANDLE h : {start.hStdInput, start.hStdOutput, start.hStdError})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return status;
}

std::string tempName(const char* what) {
    static int counter = 0;
    const auto name = std::filesystem::temp_directory_path() /
                      ("talsk-cli-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(++counter) + "." + what);
    return utf8Path(name);
}
#else
int run(const std::vector<std::string>& args, const std::string& inPath, const std::string& outPath,
        const std::string& errPath) {
    pid_t pid = fork();
    if (pid == 0) {
        int in = inPath.empty() ? -1 : open(inPath.c_str(), O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0)
            close(0);
        else
            dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        std::string tool = TALSK_CLI_PATH;
        argv.push_back(tool.data());
        std::vector<std::string> copy = args;
        for (std::string& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(tool.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return -1;
}

std::string tempName(const char* what) {
    char buf[] = "/tmp/talsk-cli-XXXXXX";
    int fd = mkstemp(buf);
    if (fd >= 0) close(fd);
    // The unique name is kept by the suffixed file; the placeholder goes.
    std::string name = std::string(buf) + "." + what;
    std::ofstream(name, std::ios::binary).flush();
    unlink(buf);
    return name;
}
#endif
} // namespace

namespace {
// outPath empty: a temporary file, read into the result.
CliResult runWithFiles(const std::vector<std::string>& args, const std::string& inPath,
                       const std::string& givenOutPath = {}) {
    const std::string outPath = givenOutPath.empty() ? tempName("out") : givenOutPath;
    const std::string errPath = tempName("err");
    CliResult result;
    result.status = run(args, inPath, outPath, errPath);
    result.err = readAll(errPath);
    std::filesystem::remove(nativePath(errPath));
    if (givenOutPath.empty()) {
        result.out = readAll(outPath);
        std::filesystem::remove(nativePath(outPath));
    }
    return result;
}

CliResult runWithInput(const std::vector<std::string>& args, const std::string& input,
                       const std::string& outPath = {}) {
    const std::string inPath = tempName("in");
    {
        std::ofstream in(nativePath(inPath), std::ios::binary);
        in << input;
    }
    CliResult result = runWithFiles(args, inPath, outPath);
    std::filesystem::remove(nativePath(inPath));
    return result;
}
} // namespace

CliResult runCli(const std::vector<std::string>& args, const std::string& input) {
    return runWithInput(args, input);
}

#ifndef _WIN32
CliResult runCliReading(const std::vector<std::string>& args, const std::string& inputPath) {
    return runWithFiles(args, inputPath);
}

CliResult runCliWriting(const std::vector<std::string>& args, const std::string& outputPath,
                        const std::string& input) {
    return runWithInput(args, input, outputPath);
}
#endif

std::string infoField(const std::string& info, const std::string& name) {
    const std::string key = name + ": ";
    const size_t at = info.find(key);
    if (at == std::string::npos) return "<missing>";
    const size_t end = info.find('\n', at);
    return info.substr(at + key.size(), end - at - key.size());
}

} // namespace talsk::test
