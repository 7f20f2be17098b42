// Output that cannot be written is a failure that says why; files that exist
// are replaced only when asked.

#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace talsk::test {
namespace {

const std::string kRecord = "population\t0\t101\tИванов И.И.\tЛенина\t5\t12\t\t\n";

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

#ifndef _WIN32 // /dev/full, pipes and signals as POSIX has them
class CliOutput : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override {
        const CliResult r = runCli(
            {"demo", dir.path(), "--residents", "30", "--organizations", "5", "--citycodes", "3"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
};

TEST_F(CliOutput, EveryCommandReportsAFullDevice) {
    const std::string base = dir.file("talsk.btn");
    const std::vector<std::vector<std::string>> runs = {
        {"--version"},
        {"--help"},
        {"help", "export"},
        {"info", "--help"},
        {"info", base},
        {"load", dir.path()},
        {"dbf-info", dir.file("nasel.dbf")},
        {"export", base},
        {"export", "--key", "тальск", dir.file("talsk-keyed.btn")},
        {"search", "--all", "*", base},
        {"demo", dir.file("more")},
        {"import", dir.file("imported")},
        {"convert", base, dir.file("old.btn"), "--to", "1.2"},
        {"export", "--version", "1.2", dir.file("old.btn")},
        {"merge", dir.file("merged"), base},
        {"dbf", dir.file("from-dbf"), "--population", dir.file("nasel.dbf")},
        {"rekey", base, "--new-key", "ключ"},
    };
    for (const std::vector<std::string>& args : runs) {
        const CliResult r = runCliWriting(args, "/dev/full", kRecord);
        EXPECT_EQ(r.status, 1) << args[0] << " " << args.back();
        EXPECT_EQ(r.err.substr(r.err.find("talsk-cli: write error: ")),
                  "talsk-cli: write error: No space left on device\n")
            << args[0] << " " << args.back() << ": " << r.err;
        EXPECT_EQ(count(r.err, "\n"), 1u) << args[0] << ": " << r.err;
    }
}

// A long export stops at its first lost write, with one message.
TEST_F(CliOutput, ALongExportStopsAtTheFirstFailedWrite) {
    ASSERT_EQ(runCli({"demo", dir.file("big"), "--residents", "20000"}).status, 0);
    const CliResult r = runCliWriting({"export", dir.file("big/talsk.btn")}, "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "talsk-cli: write error: No space left on device\n");
}

// A reader that stops early (`| head -1`) is no failure to report, whether
// the signal ends the tool or the shell had it ignored.
TEST_F(CliOutput, AClosedPipeStaysQuiet) {
    ASSERT_EQ(runCli({"demo", dir.file("big"), "--residents", "20000"}).status, 0);
    const std::string err = dir.file("err.txt");
    for (const std::string trap : {"", "trap '' PIPE; "}) {
        const std::string command = trap + "'" TALSK_CLI_PATH "' export '" +
                                    dir.file("big/talsk.btn") + "' 2>'" + err +
                                    "' | head -1 >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_TRUE(readBytes(err).empty()) << trap;
    }
}
#endif

TEST(CliReplace, ExistingFilesAreReplacedOnlyWithForce) {
    TempDir dir;
    // demo makes its folder, parents too.
    const std::string folder = dir.file("a/b");
    ASSERT_EQ(runCli({"demo", folder, "--residents", "3"}).status, 0);
    EXPECT_EQ(runCli({"info", folder + "/talsk.btn"}).status, 0);

    // A folder holding one of demo's files: nothing is written.
    const std::string other = dir.file("other");
    std::filesystem::create_directory(nativePath(other));
    writeBytes(other + "/gorod.dbf", {'k', 'e', 'e', 'p'});
    const CliResult refused = runCli({"demo", other});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "talsk-cli: " + other + "/gorod.dbf exists; give --force to replace it\n");
    EXPECT_EQ(dir.entries().size(), 2u);
    EXPECT_EQ(std::filesystem::directory_iterator(nativePath(other))->path().filename(),
              "gorod.dbf");
    EXPECT_EQ(readBytes(other + "/gorod.dbf"), (std::vector<unsigned char>{'k', 'e', 'e', 'p'}));
    ASSERT_EQ(runCli({"demo", other, "--force"}).status, 0);
    EXPECT_NE(readBytes(other + "/gorod.dbf").size(), 4u);

    // import names its file as the other commands do, and keeps what exists.
    const std::string second = "citycodes\t0\t8312\tТальск\t09\t\t\t\t\n";
    ASSERT_EQ(runCli({"import", dir.file("nokey")}, kRecord).status, 0);
    EXPECT_FALSE(std::filesystem::exists(nativePath(dir.file("nokey"))));
    EXPECT_EQ(runCli({"export", dir.file("nokey.btn")}).out, kRecord);
    for (const char* name : {"nokey", "nokey.btn"}) {
        const CliResult r = runCli({"import", dir.file(name)}, second);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  "talsk-cli: " + dir.file("nokey.btn") + " exists; give --force to replace it\n");
    }
    EXPECT_EQ(runCli({"export", dir.file("nokey.btn")}).out, kRecord);
    ASSERT_EQ(runCli({"import", "--force", dir.file("nokey")}, second).status, 0);
    EXPECT_EQ(runCli({"export", dir.file("nokey.btn")}).out, second);

    // A file where the folder should be is named as such.
    const CliResult notFolder = runCli({"demo", dir.file("nokey.btn")});
    EXPECT_EQ(notFolder.status, 1);
    EXPECT_EQ(notFolder.err, "talsk-cli: " + dir.file("nokey.btn") + ": not a folder\n");
}

// Files that do not load say why in words for a command line: what the
// path is, and which option gives what is missing.
TEST(CliMessages, ReadingErrorsNameTheirCauseAndTheOption) {
    TempDir dir;
    ASSERT_EQ(runCli({"demo", dir.path(), "--residents", "3"}).status, 0);
    ASSERT_EQ(runCli({"convert", dir.file("talsk.btn"), dir.file("old.btn"), "--to", "1.2"}).status,
              0);
    std::filesystem::create_directory(nativePath(dir.file("folder.btn")));
    const std::string folder = dir.file("folder.btn"), keyed = dir.file("talsk-keyed.btn");
    const struct {
        std::vector<std::string> args;
        std::string err; // the whole of stderr
    } cases[] = {
        {{"export", folder}, folder + ": Невозможно открыть файл: это папка."},
        {{"export", "--version", "1.2", folder}, folder + ": Невозможно открыть файл: это папка."},
        {{"search", "--all", "a", folder}, folder + ": Невозможно открыть файл: это папка."},
        {{"export", dir.file("none.btn")},
         dir.file("none.btn") +
             ": Файл не найден. Проверьте, находится ли файл в текущем каталоге справочника."},
        {{"export", keyed}, keyed + ": Не введен ключ. Give the key with --key-file FILE."},
        {{"info", keyed}, keyed + ": Не введен ключ. Give the key with --key-file FILE."},
        {{"search", "--all", "a", keyed},
         keyed + ": Не введен ключ. Give the key with --key-file FILE=KEYFILE."},
        {{"export", dir.file("old.btn")},
         dir.file("old.btn") +
             ": Несоответствие версии файла. A version 1.2 file is exported with --version 1.2."},
        {{"dbf-info", dir.file("none.dbf")},
         dir.file("none.dbf") + ": Ошибка при открытии файла: файл не найден"},
        {{"dbf-info", dir.path()}, dir.path() + ": Ошибка при открытии файла: это папка"},
    };
    for (const auto& c : cases) {
        const CliResult r = runCli(c.args);
        EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(r.err, "talsk-cli: " + c.err + "\n") << c.args[0];
    }
    // info tells the cause on its message line as the window does.
    EXPECT_EQ(infoField(runCli({"info", folder}).out, "message"),
              "Невозможно открыть файл: это папка.");
}

} // namespace
} // namespace talsk::test
