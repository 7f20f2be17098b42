// What every command of talsk-cli shares: help, version, "--", keys from
// files, write failures that name their cause, and the manual page.

#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace talsk::test {
namespace {

// The command names listed by `talsk-cli --help`.
std::vector<std::string> listedCommands() {
    const CliResult r = runCli({"--help"});
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> names;
    std::istringstream in(r.out.substr(r.out.find("Commands:\n") + 10));
    std::string line;
    while (std::getline(in, line) && line.rfind("  ", 0) == 0)
        names.push_back(line.substr(2, line.find(' ', 2) - 2));
    return names;
}

std::string manPage() {
    std::ifstream in(TALSK_SOURCE_DIR "/packaging/talsk-cli.1");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// "--key-file" as the manual page writes it: "\-\-key\-file".
std::string manEscaped(const std::string& option) {
    std::string out;
    for (char c : option)
        out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

TEST(CliConventions, EveryCommandHasHelpAndTheManualPageDocumentsIt) {
    const std::vector<std::string> names = listedCommands();
    ASSERT_EQ(names.size(), 11u);
    const std::string man = manPage();
    ASSERT_FALSE(man.empty());
    for (const std::string& name : names) {
        for (const char* help : {"--help", "-h"}) {
            // Help wins wherever it stands, even where a file or value is due.
            for (const std::vector<std::string>& args :
                 std::vector<std::vector<std::string>>{{name, help}, {name, "x.btn", help}}) {
                const CliResult r = runCli(args);
                EXPECT_EQ(r.status, 0) << name << " " << help << ": " << r.err;
                EXPECT_EQ(r.out.rfind("usage: talsk-cli " + name + " ", 0), 0u) << r.out;
                EXPECT_EQ(r.err, "") << name;
            }
        }
        EXPECT_NE(man.find(".B " + manEscaped(name) + " "), std::string::npos) << name;
        // Every option the command's help names is in the manual page.
        const std::string usage = runCli({name, "--help"}).out;
        for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at)) {
            const size_t end = usage.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", at + 2);
            const std::string option = usage.substr(at, end - at);
            at = end;
            if (option == "--help") continue;
            EXPECT_NE(man.find(manEscaped(option)), std::string::npos) << name << " " << option;
        }
    }
    EXPECT_NE(man.find(manEscaped("--version")), std::string::npos);

    // The list of commands fits a terminal and says where the rest is; help
    // CMD is CMD --help.
    const CliResult list = runCli({"--help"});
    std::istringstream lines(list.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 80u) << line;
    EXPECT_NE(list.out.find("man talsk-cli"), std::string::npos);
    EXPECT_EQ(runCli({"help"}).out, list.out);
    for (const std::string& name : names)
        EXPECT_EQ(runCli({"help", name}).out, runCli({name, "--help"}).out) << name;
    const CliResult none = runCli({});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, list.out);

    const CliResult version = runCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("talsk-cli ") + TALSK_VERSION + "\n");
}

TEST(CliConventions, OptionErrorsAndTheEndOfOptions) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    std::string terms = "a";
    for (int i = 0; i < 40; ++i)
        terms += "|a";
    const Case cases[] = {
        {{"convert", "a.btn", "b.btn", "--to"}, "option --to needs 2.0|1.2"},
        {{"convert", "a.btn", "b.btn", "--to", "2.0", "--to", "1.2"},
         "option --to may be given only once"},
        {{"dbf-info", "--bogus"}, "unknown option --bogus (see talsk-cli dbf-info --help)"},
        {{"merge", "--cut", "a.btn", "b.btn"}, "unknown option --cut"},
        {{"rekey", "a.btn", "--no-key=yes"}, "option --no-key takes no value"},
        {{"info", "--key", "k", "--key-file", "f", "a.btn"}, "give either --key or --key-file"},
        {{"dbf-info", "a.dbf", "b.dbf"}, "usage: talsk-cli dbf-info F.dbf"},
        {{"help", "nosuch"}, "unknown command 'nosuch'"},
        {{"nosuch"}, "unknown command 'nosuch'"},
        {{"export", "--version", "2", "a.btn"}, "option --version takes 2.0 or 1.2"},
        {{"search", "--all", std::string(101, 'a'), "a.btn"},
         "the pattern is longer than 100 characters"},
        {{"search", "--all", terms, "a.btn"}, "has more than 31 terms"},
    };
    for (const Case& c : cases) {
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.status, 2) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // After "--" a name that looks like an option is a file: a failure, no
    // wrong argument.
    const CliResult file = runCli({"dbf-info", "--", "--help"});
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(file.err.rfind("talsk-cli: --help: ", 0), 0u) << file.err;
}

class CliKeys : public ::testing::Test {
protected:
    TempDir dir;
    const std::string records = "population\t0\t101\tИванов И.И.\tЛенина\t5\t12\t\t\n";
    void SetUp() override {
        ASSERT_EQ(runCli({"import", "--key", "тальск", dir.file("k.btn")}, records).status, 0);
        // Binary: the bytes as written, with no line ends added on Windows.
        std::ofstream(dir.file("good.key"), std::ios::binary) << "тальск\r\nsecond line\n";
        std::ofstream(dir.file("bare.key"), std::ios::binary) << "тальск";
        std::ofstream(dir.file("wrong.key"), std::ios::binary) << "тальсК\n";
    }
};

TEST_F(CliKeys, KeyFromAFileOrNone) {
    const std::string k = dir.file("k.btn");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // exact, or a part of stderr when the status is not 0
    };
    const Case cases[] = {
        {{"export", "--key-file", dir.file("good.key"), k}, 0, records},
        {{"export", "--key-file=" + dir.file("bare.key"), k}, 0, records},
        {{"search", "--key-file", "k.btn=" + dir.file("good.key"), "--all", "ленина", k},
         0,
         "0\t" + records + "# population=1 organizations=0 citycodes=0 total=1\n"},
        {{"export", "--key-file", dir.file("wrong.key"), k}, 1, "Ошибка при загрузке данных."},
        {{"export", "--key-file", dir.file("none.key"), k},
         1,
         "cannot read the key file " + dir.file("none.key") + ": No such file or directory"},
        {{"search", "--key-file", "k.btn=" + dir.file("none.key"), "--all", "x", k},
         1,
         "cannot read the key file"},
        {{"search", "--key-file", "k.btn", "--all", "x", k}, 2, "needs FILE=KEYFILE"},
        // No key and no terminal to ask on: the file does not load.
        {{"export", k}, 1, "Не введен ключ."},
        {{"merge", dir.file("m.btn"), k}, 1, "Не введен ключ."},
    };
    for (const Case& c : cases) {
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1] << " " << r.err;
        if (c.status == 0)
            EXPECT_EQ(r.out, c.out) << c.args[1];
        else
            EXPECT_NE(r.err.find(c.out), std::string::npos) << r.err;
    }

    // Key files both ways through rekey and merge.
    CliResult rekey = runCli(
        {"rekey", k, "--key-file", dir.file("good.key"), "--new-key-file", dir.file("wrong.key")});
    ASSERT_EQ(rekey.status, 0) << rekey.err;
    CliResult merged =
        runCli({"merge", dir.file("m"), k, "--key-file", "k.btn=" + dir.file("wrong.key"),
                "--new-key-file", dir.file("good.key")});
    ASSERT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(runCli({"export", "--key", "тальск", dir.file("m.btn")}).out, records);
}

#ifndef _WIN32 // a pseudo-terminal; the console has none to drive
// A keyed file given no key, with a terminal on standard input: the key is
// asked for there and typed without echo.
TEST_F(CliKeys, KeyAskedOnTheTerminal) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string outPath = dir.file("out.txt");
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        dup2(slave, 0);
        dup2(slave, 2);
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        execl(TALSK_CLI_PATH, TALSK_CLI_PATH, "export", dir.file("k.btn").c_str(), nullptr);
        _exit(127);
    }
    close(slave);
    // What the terminal shows, until the tool ends (or 20 s, not to hang).
    std::string shown;
    bool typed = false;
    for (pollfd p{master, POLLIN, 0}; poll(&p, 1, 20000) > 0;) {
        char buf[256];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;
        shown.append(buf, static_cast<size_t>(n));
        if (!typed && shown.find(": ") != std::string::npos) {
            ASSERT_EQ(write(master, "тальск\n", std::strlen("тальск\n")),
                      static_cast<ssize_t>(std::strlen("тальск\n")));
            typed = true;
        }
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_EQ(shown.rfind("Key for " + dir.file("k.btn") + ": ", 0), 0u) << shown;
    EXPECT_EQ(shown.find("тальск"), std::string::npos) << "the key was echoed: " << shown;
    EXPECT_EQ(readBytes(outPath), std::vector<unsigned char>(records.begin(), records.end()));
}
#endif

TEST_F(CliKeys, LoadWarnsOfAKeyForAFileItDoesNotRead) {
    const CliResult r = runCli({"load", dir.path(), "--key", "k.btn=тальск", "--key",
                                "other.btn=ключ", "--key-file", "k.btn=" + dir.file("good.key")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("k.btn\t1\t"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("warning: a key was given for other.btn, which is not read"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("given for k.btn"), std::string::npos) << r.err;
}

// A destination the file system refuses names why. The texts of the two
// causes come with the platform's finer write errors.
TEST(CliWriteErrors, DestinationIsAFolderOrInAMissingFolder) {
    TempDir dir;
    const std::string record = "population\t0\t1\t\t\t\t\t\t\n";
    ASSERT_EQ(runCli({"import", dir.file("src.btn")}, record).status, 0);
    ASSERT_EQ(
        runCli({"demo", dir.path(), "--residents", "3", "--organizations", "0", "--citycodes", "0"})
            .status,
        0);
    std::filesystem::create_directory(dir.file("folder.btn"));
    std::filesystem::create_directory(dir.file("d"));
    std::filesystem::create_directory(dir.file("d/talsk.btn"));
    const std::string folder = dir.file("folder.btn"), missing = dir.file("no/such.btn");
    for (const auto& [target, cause] :
         {std::pair{folder, "это папка"}, std::pair{missing, "папка не найдена"}}) {
        const std::vector<std::vector<std::string>> runs = {
            {"convert", dir.file("src.btn"), target, "--to", "1.2"},
            {"merge", target, dir.file("src.btn")},
            {"dbf", target, "--population", dir.file("nasel.dbf")},
            {"import", target},
        };
        for (const std::vector<std::string>& args : runs) {
            const CliResult r = runCli(args, record);
            EXPECT_EQ(r.status, 1) << args[0];
            EXPECT_NE(r.err.find(cause), std::string::npos) << args[0] << ": " << r.err;
        }
    }
    const CliResult demo = runCli({"demo", dir.file("d")});
    EXPECT_EQ(demo.status, 1);
    EXPECT_NE(demo.err.find("это папка"), std::string::npos) << demo.err;
}

} // namespace
} // namespace talsk::test
