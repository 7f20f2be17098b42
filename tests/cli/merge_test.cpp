// talsk-cli merge, read back with talsk-cli export.

#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace talsk::test {
namespace {

const std::string kFirst = "population\t0\t101\tИванов И.И.\tЛенина\t5\t12\t\t\n"
                           "population\t1\t102\tПетров П.П.\tМира\t1\t\t\t\n"
                           "citycodes\t0\t8312\tТальск\t09\t\t\t\t\n";
const std::string kSecond = "population\t0\t101\tСидоров С.С.\tЛенина\t7\t3\t\t\n"
                            "population\t1\t103\tпетров п.п.\tмира\t1\t\t\t\n"
                            "citycodes\t0\t8312\tТАЛЬСК\t09\t\t\t\t\n";

class MergeCommand : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override {
        ASSERT_EQ(runCli({"import", dir.file("a.btn")}, kFirst).status, 0);
        ASSERT_EQ(runCli({"import", "--key", "тальск", dir.file("b.btn")}, kSecond).status, 0);
    }
};

TEST_F(MergeCommand, RepeatRulesAndKeys) {
    struct Case {
        std::vector<std::string> options;
        std::string records;
    };
    const Case cases[] = {
        {{},
         "population\t0\t101\tИванов И.И.\tЛенина\t5\t12\t\t\n"
         "population\t1\t102\tПетров П.П.\tМира\t1\t\t\t\n"
         "population\t2\t101\tСидоров С.С.\tЛенина\t7\t3\t\t\n"
         "population\t3\t103\tпетров п.п.\tмира\t1\t\t\t\n"
         "citycodes\t0\t8312\tТальск\t09\t\t\t\t\n"
         "citycodes\t1\t8312\tТАЛЬСК\t09\t\t\t\t\n"},
        {{"--repeats", "phone"},
         "population\t0\t101\tИванов И.И.\tЛенина\t5\t12\t\t\n"
         "population\t1\t102\tПетров П.П.\tМира\t1\t\t\t\n"
         "population\t2\t103\tпетров п.п.\tмира\t1\t\t\t\n"
         "citycodes\t0\t8312\tТальск\t09\t\t\t\t\n"},
        {{"--repeats", "same"},
         "population\t0\t101\tИванов И.И.\tЛенина\t5\t12\t\t\n"
         "population\t1\t102\tПетров П.П.\tМира\t1\t\t\t\n"
         "population\t2\t101\tСидоров С.С.\tЛенина\t7\t3\t\t\n"
         "population\t3\t103\tпетров п.п.\tмира\t1\t\t\t\n"
         "citycodes\t0\t8312\tТальск\t09\t\t\t\t\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {
            "merge", dir.file("out.btn"), dir.file("a.btn"), dir.file("b.btn"),
            "--key", "b.btn=тальск",      "--new-key",       "новый"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult r = runCli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out.rfind("Объединение файлов завершено\n", 0), 0u);
        const CliResult back = runCli({"export", "--key", "новый", dir.file("out.btn")});
        ASSERT_EQ(back.status, 0) << back.err;
        EXPECT_EQ(back.out, c.records);
    }
}

TEST_F(MergeCommand, SourceThatDoesNotLoad) {
    // b.btn without its key: nothing is written unless it may be left out.
    CliResult r = runCli({"merge", dir.file("out.btn"), dir.file("a.btn"), dir.file("b.btn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Не введен ключ."), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.btn")));

    r = runCli(
        {"merge", dir.file("out.btn"), dir.file("a.btn"), dir.file("b.btn"), "--ignore-failed"});
    EXPECT_EQ(r.status, 1);
    const CliResult back = runCli({"export", dir.file("out.btn")});
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(back.out, kFirst);
}

// A source whose population block is damaged still loads its other tables;
// the merge must not pass it off as whole.
TEST_F(MergeCommand, SourceWithADamagedTable) {
    const std::string bad = dir.file("bad.btn");
    ASSERT_EQ(runCli({"import", bad}, kSecond).status, 0);
    std::vector<unsigned char> bytes = readBytes(bad);
    bytes[106 + 2 + 8] ^= 0xFF;
    bytes[106 + 2 + 9] ^= 0xFF;
    writeBytes(bad, bytes);
    CliResult r = runCli({"merge", dir.file("out.btn"), dir.file("a.btn"), bad});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("bad.btn: Ошибка при загрузке данных."), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.btn")));

    r = runCli({"merge", dir.file("out"), dir.file("a.btn"), bad, "--ignore-failed"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("bad.btn is left out of the merge."), std::string::npos) << r.err;
    EXPECT_EQ(runCli({"export", dir.file("out.btn")}).out, kFirst);
}

} // namespace
} // namespace talsk::test
