// talsk-cli dbf and dbf-info on the demo's dBASE tables.

#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sstream>

namespace talsk::test {
namespace {

int linesStarting(const std::string& text, const std::string& prefix) {
    std::istringstream in(text);
    int n = 0;
    for (std::string line; std::getline(in, line);)
        n += line.rfind(prefix, 0) == 0;
    return n;
}

std::string firstLine(const std::string& text, const std::string& prefix) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) return line;
    return {};
}

class DbfCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(runCli({"demo", dir.path(), "--residents", "10", "--organizations", "0",
                          "--citycodes", "0"})
                      .status,
                  0);
    }
    TempDir dir;
};

TEST_F(DbfCommand, DemoTablesImportWithTheUsualColumnsAndReadBack) {
    CliResult info = runCli({"dbf-info", dir.file("nasel.dbf")});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("records: 300\n"), std::string::npos);
    EXPECT_NE(info.out.find("2\tFIO\tC\t80\n"), std::string::npos);

    CliResult made =
        runCli({"dbf", dir.file("out"), "--population", dir.file("nasel.dbf"), "--organizations",
                dir.file("predp.dbf"), "--citycodes", dir.file("gorod.dbf")});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find("Конвертирование завершено"), std::string::npos);
    CliResult all = runCli({"export", dir.file("out.btn")});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(linesStarting(all.out, "population\t"), 300);
    EXPECT_EQ(linesStarting(all.out, "organizations\t"), 80);
    EXPECT_EQ(linesStarting(all.out, "citycodes\t"), 40);
    // The demo's comment column (3) is not taken by default; Москва comes first.
    EXPECT_EQ(firstLine(all.out, "citycodes\t0\t"), "citycodes\t0\t495\tМосква\t8-495-09\t\t\t\t");
}

TEST_F(DbfCommand, MapJoinsColumnsByNameAndSkipDropsCells) {
    CliResult made = runCli({"dbf", dir.file("codes.btn"), "--citycodes", dir.file("gorod.dbf"),
                             "--map", "citycodes:name=gorod,/,1", "--map", "citycodes:street=none",
                             "--skip", "citycodes=МОСКВА/495", "--key", "ключ"});
    ASSERT_EQ(made.status, 0) << made.err;
    CliResult all = runCli({"export", "--key", "ключ", dir.file("codes.btn")});
    ASSERT_EQ(all.status, 0) << all.err;
    // Skipping compares whole cells, not the joined field.
    EXPECT_EQ(firstLine(all.out, "citycodes\t0\t"), "citycodes\t0\t495\tМосква/495\t\t\t\t\t");
    CliResult skipped = runCli({"dbf", dir.file("s.btn"), "--citycodes", dir.file("gorod.dbf"),
                                "--skip", "citycodes=москва"});
    ASSERT_EQ(skipped.status, 0) << skipped.err;
    EXPECT_EQ(firstLine(runCli({"export", dir.file("s.btn")}).out, "citycodes\t0\t"),
              "citycodes\t0\t495\t\t8-495-09\t\t\t\t");
}

TEST_F(DbfCommand, DamagedTableIsRefusedAndTheOldDestinationKept) {
    writeBytes(dir.file("old.btn"), {1, 2, 3});
    std::vector<unsigned char> bytes = readBytes(dir.file("gorod.dbf"));
    bytes.resize(bytes.size() - 10);
    writeBytes(dir.file("bad.dbf"), bytes);
    CliResult r = runCli({"dbf", dir.file("old.btn"), "--citycodes", dir.file("bad.dbf")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Файл поврежден или не является Data Base файлом"), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("old.btn")), (std::vector<unsigned char>{1, 2, 3}));
    EXPECT_EQ(runCli({"dbf", dir.file("x.btn"), "--map", "population:house=5,-,6"}).status, 1);
}

} // namespace
} // namespace talsk::test
