// File names outside Windows-1251 reach the disk unchanged through every
// command: each one works on the exact file or refuses, and never another.

#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace talsk::test {
namespace {

const std::string kRecords = "population\t0\t101\tИванов И.И.\tЛенина\t5\t12\t\t\n"
                             "citycodes\t0\t8312\tТальск\t09\t\t\t\t\n";
const std::string kUnstorable = "содержит знаки, которые нельзя сохранить в настройках";

TEST(FileNames, EveryCommandWorksOnTheExactFile) {
    const struct {
        std::string name;
        bool storable; // the settings file can list it
    } cases[] = {
        {"a😀.btn", false},    {"東京.btn", false}, {"café.btn", false}, {"a\\b.btn", false},
        {"Тальск.btn", true}, {"a b.btn", true},   {"a\tb.btn", true},
    };
    for (const auto& c : cases) {
#ifdef _WIN32
        // A backslash parts folders there, and a tab is no character of a name.
        if (c.name.find_first_of("\\\t") != std::string::npos) continue;
#endif
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string file = dir.file(c.name);
        auto ok = [](const CliResult& r) {
            EXPECT_EQ(r.status, 0) << r.err;
            return r;
        };
        ok(runCli({"import", file}, kRecords));
        EXPECT_EQ(infoField(ok(runCli({"info", file})).out, "population"), "1");
        EXPECT_NE(ok(runCli({"export", file})).out.find("Иванов"), std::string::npos);
        EXPECT_NE(ok(runCli({"search", "--all", "Иванов", file})).out.find("Иванов"),
                  std::string::npos);
        ok(runCli({"convert", file, dir.file("1.2 " + c.name), "--to", "1.2"}));
        ok(runCli(
            {"convert", dir.file("1.2 " + c.name), dir.file("2.0 " + c.name), "--to", "2.0"}));
        ok(runCli({"merge", dir.file("m " + c.name), file}));
        ok(runCli({"rekey", file, "--new-key", "ключ"}));
        EXPECT_NE(ok(runCli({"export", "--key", "ключ", file})).out.find("Иванов"),
                  std::string::npos);
        std::filesystem::copy_file(std::string(TALSK_TEST_DATA) + "/gorod.dbf",
                                   nativePath(dir.file(c.name + ".dbf")));
        ok(runCli({"dbf", dir.file("d " + c.name), "--citycodes", dir.file(c.name + ".dbf")}));

        // The folder's files connect, or are named with the reason they cannot be.
        const CliResult load = runCli({"load", dir.path(), "--key", c.name + "=ключ"});
        EXPECT_EQ(load.status, 0) << load.err;
        const std::string connected =
            "\n" + c.name + "\t1\tФайл успешно подключен.\t1\t0\t1\t0\t1\n";
        EXPECT_EQ(("\n" + load.out).find(connected) != std::string::npos, c.storable) << load.out;
        EXPECT_EQ(load.err.find(kUnstorable) != std::string::npos, !c.storable) << load.err;
        EXPECT_EQ(load.err.find(c.name) != std::string::npos, !c.storable) << load.err;

        const std::vector<std::string> entries = dir.entries();
        EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()),
                  (std::set<std::string>{c.name, "1.2 " + c.name, "2.0 " + c.name, "m " + c.name,
                                         "d " + c.name, c.name + ".dbf"}));
    }
}

#ifndef _WIN32 // symbolic links are made by the test alone on POSIX
// A save through links writes the file they lead to, made when missing; links
// that go in a circle lead to no file, and are refused, left as they were.
TEST(FileNames, SaveThroughSymbolicLinks) {
    namespace fs = std::filesystem;
    TempDir dir;
    fs::create_symlink("b.btn", nativePath(dir.file("a.btn")));
    fs::create_symlink("a.btn", nativePath(dir.file("b.btn")));
    fs::create_symlink("d.btn", nativePath(dir.file("c.btn")));
    const struct {
        const char* link;
        int status;
        const char* message;
    } cases[] = {
        {"a.btn", 1, "ссылки идут по кругу"},
        {"c.btn", 0, ""},
    };
    for (const auto& c : cases) {
        const CliResult r = runCli({"import", dir.file(c.link)}, kRecords);
        EXPECT_EQ(r.status, c.status) << c.link << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.link << ": " << r.err;
    }
    for (const char* link : {"a.btn", "b.btn", "c.btn"})
        EXPECT_TRUE(fs::is_symlink(nativePath(dir.file(link)))) << link;
    EXPECT_TRUE(fs::is_regular_file(nativePath(dir.file("d.btn"))));
    EXPECT_EQ(infoField(runCli({"info", dir.file("c.btn")}).out, "population"), "1");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.btn", "b.btn", "c.btn", "d.btn"}));
}
#endif

} // namespace
} // namespace talsk::test
