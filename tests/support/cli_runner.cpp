#include "support/cli_runner.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#ifndef TALSK_CLI_PATH
#define TALSK_CLI_PATH "talsk-cli"
#endif

namespace talsk::test {

namespace {
std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
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
} // namespace

CliResult runCli(const std::vector<std::string>& args, const std::string& input) {
    const std::string inPath = tempName("in"), outPath = tempName("out"), errPath = tempName("err");
    {
        std::ofstream in(inPath, std::ios::binary);
        in << input;
    }
    CliResult result;
    pid_t pid = fork();
    if (pid == 0) {
        int in = open(inPath.c_str(), O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
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
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readAll(outPath);
    result.err = readAll(errPath);
    std::remove(inPath.c_str());
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

std::string infoField(const std::string& info, const std::string& name) {
    const std::string key = name + ": ";
    const size_t at = info.find(key);
    if (at == std::string::npos) return "<missing>";
    const size_t end = info.find('\n', at);
    return info.substr(at + key.size(), end - at - key.size());
}

} // namespace talsk::test
