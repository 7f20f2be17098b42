// demo, info, export and import of talsk-cli, run as the user runs them.

#include "base/base_set.h"
#include "base/cipher.h"
#include "base/load_status.h"
#include "platform/cp1251.h"
#include "platform/journal.h"
#include "support/base_fixtures.h"
#include "support/cli_runner.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace talsk::test {
namespace {

class BaseCommands : public ::testing::Test {
protected:
    TempDir dir;
    void makeDemo(const std::string& seed = "7") {
        CliResult r = runCli({"demo", dir.path(), "--residents", "300", "--organizations", "40",
                              "--citycodes", "12", "--seed", seed, "--force"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
};

TEST_F(BaseCommands, DemoWritesPlainAndKeyedFilesThatInfoDescribes) {
    makeDemo();
    CliResult plain = runCli({"info", dir.file("talsk.btn")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(infoField(plain.out, "version"), "Версия 2.0");
    EXPECT_EQ(infoField(plain.out, "keyed"), "0");
    EXPECT_EQ(infoField(plain.out, "status"), "1");
    EXPECT_EQ(infoField(plain.out, "message"), "Файл успешно подключен.");
    EXPECT_EQ(infoField(plain.out, "population"), "300");
    EXPECT_EQ(infoField(plain.out, "organizations"), "40");
    EXPECT_EQ(infoField(plain.out, "citycodes"), "12");
    EXPECT_NE(infoField(plain.out, "created"), "-");
    const std::string ratio = infoField(plain.out, "compression");
    ASSERT_GE(ratio.size(), 5u);
    EXPECT_EQ(ratio.substr(ratio.size() - 2), " %") << ratio;
    EXPECT_EQ(ratio[ratio.size() - 4], '.') << "one digit after the point: " << ratio;

    CliResult keyed = runCli({"info", "--key", "тальск", dir.file("talsk-keyed.btn")});
    ASSERT_EQ(keyed.status, 0) << keyed.err;
    EXPECT_EQ(infoField(keyed.out, "keyed"), "1");
    EXPECT_EQ(infoField(keyed.out, "population"), "500");
}

TEST_F(BaseCommands, KeyedFileWithoutOrWithWrongKeyReportsItsStatus) {
    makeDemo();
    CliResult none = runCli({"info", dir.file("talsk-keyed.btn")});
    EXPECT_NE(none.status, 0);
    EXPECT_EQ(infoField(none.out, "status"), "6");
    EXPECT_EQ(infoField(none.out, "message"),
              "Не введен ключ. Введите его в разделе \"Подключаемые файлы\".");

    CliResult wrong = runCli({"info", "--key", "тальсК", dir.file("talsk-keyed.btn")});
    EXPECT_NE(wrong.status, 0);
    EXPECT_EQ(infoField(wrong.out, "status"), "5");

    CliResult exported = runCli({"export", "--key", "nope", dir.file("talsk-keyed.btn")});
    EXPECT_NE(exported.status, 0);
    EXPECT_TRUE(exported.out.empty());
    EXPECT_NE(exported.err.find("Ошибка при загрузке данных."), std::string::npos) << exported.err;
}

TEST_F(BaseCommands, DemoIsDeterministicPerSeed) {
    makeDemo("7");
    std::string first = runCli({"export", dir.file("talsk.btn")}).out;
    makeDemo("7");
    std::string again = runCli({"export", dir.file("talsk.btn")}).out;
    makeDemo("8");
    std::string other = runCli({"export", dir.file("talsk.btn")}).out;
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
    // 300 + 40 + 12 lines, each with nine columns.
    size_t lines = 0;
    for (char c : first)
        lines += c == '\n';
    EXPECT_EQ(lines, 352u);
}

TEST_F(BaseCommands, ExportImportRoundTripKeepsEscapedCharactersAndKeys) {
    const std::string records =
        "population\t0\t123\tИванов И.И.\tЛенина\t5а\t12\t\tс табом\\tи\\\\слэшем\n"
        "organizations\t0\t45\tДиректор\tМира\t1\t\tЗавод \"Тальск\"\tстрока\\nвторая\n"
        "citycodes\t0\t495\tМосква\t8-495-09\t\t\t\t\n"
        "population\t1\t\t\t\t\t\t\t\n";
    CliResult imported = runCli({"import", "--key", "ключ", dir.file("made.btn")}, records);
    ASSERT_EQ(imported.status, 0) << imported.err;
    CliResult exported = runCli({"export", "--key", "ключ", dir.file("made.btn")});
    ASSERT_EQ(exported.status, 0) << exported.err;
    // Tables come out in table order, with fresh record indexes.
    const std::string expected =
        "population\t0\t123\tИванов И.И.\tЛенина\t5а\t12\t\tс табом\\tи\\\\слэшем\n"
        "population\t1\t\t\t\t\t\t\t\n"
        "organizations\t0\t45\tДиректор\tМира\t1\t\tЗавод \"Тальск\"\tстрока\\nвторая\n"
        "citycodes\t0\t495\tМосква\t8-495-09\t\t\t\t\n";
    EXPECT_EQ(exported.out, expected);
    CliResult info = runCli({"info", "--key", "ключ", dir.file("made.btn")});
    EXPECT_EQ(infoField(info.out, "keyed"), "1");
}

// A file with a table that cannot be read: the readable records still come
// out, but the export says what is missing and does not pass for complete.
TEST_F(BaseCommands, ExportOfAPartlyReadableFileFails) {
    const std::string records = "population\t0\t123\tИванов И.И.\t\t\t\t\t\n"
                                "citycodes\t0\t495\tМосква\t8-495-09\t\t\t\t\n";
    ASSERT_EQ(runCli({"import", dir.file("part.btn")}, records).status, 0);
    std::vector<unsigned char> bytes = readBytes(dir.file("part.btn"));
    ASSERT_GT(bytes.size(), 118u);
    bytes[106 + 2 + 8] = 0; // the population tree's first entry is no leaf
    bytes[106 + 2 + 9] = 0;
    writeBytes(dir.file("part.btn"), bytes);
    CliResult r = runCli({"export", dir.file("part.btn")});
    EXPECT_NE(r.status, 0);
    EXPECT_LT(r.status, 128);
    EXPECT_NE(r.err.find("Файл открыт только для чтения."), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "citycodes\t0\t495\tМосква\t8-495-09\t\t\t\t\n");
    // A search finds what was read, and says as well that it was not all.
    r = runCli({"search", "--tables", "city", "--all", "*", dir.file("part.btn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Файл открыт только для чтения. Так как"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Москва"), std::string::npos) << r.out;
}

#ifndef _WIN32 // named pipes are POSIX's
// A pipe or a device is no base file: the reading commands say so, and do not
// blame another process.
TEST_F(BaseCommands, ReadingCommandsNameAFileThatIsNoRegularFile) {
    ASSERT_EQ(mkfifo(dir.file("pipe.btn").c_str(), 0666), 0);
    for (const std::string& file : {dir.file("pipe.btn"), std::string("/dev/zero")})
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"info", file}, {"export", file}, {"search", "--all", "*", file}}) {
            const CliResult r = runCli(args);
            EXPECT_NE(r.status, 0) << args[0] << " " << file;
            EXPECT_NE((r.out + r.err).find("Невозможно открыть файл: не обычный файл."),
                      std::string::npos)
                << args[0] << " " << file << ": " << r.out << r.err;
        }
}
#endif

// A header that fails its checks says nothing true of the file: no count,
// date or ratio of it is shown, whatever numbers it holds.
TEST_F(BaseCommands, InfoOfADamagedHeaderShowsNoNumbers) {
    ASSERT_EQ(runCli({"import", dir.file("d.btn")}, "population\t0\t1\t\t\t\t\t\t\n").status, 0);
    std::vector<unsigned char> bytes = readBytes(dir.file("d.btn"));
    // The counts add up past 32 bits.
    patchHeader(bytes, [](unsigned char* h) { putI32(h + 32, INT32_MAX); });
    writeBytes(dir.file("d.btn"), bytes);
    CliResult r = runCli({"info", dir.file("d.btn")});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(infoField(r.out, "status"), "4");
    for (const char* name :
         {"population", "organizations", "citycodes", "created", "updated", "compression"})
        EXPECT_EQ(infoField(r.out, name), "-") << name;
}

// The commands that only read never keep the program from connecting a file
// for writing, nor fail while it holds one.
TEST_F(BaseCommands, ReadingCommandsLeaveTheWriterLockToTheProgram) {
    // Enough records that the export is still writing when its first line is read.
    ASSERT_EQ(runCli({"demo", dir.path(), "--residents", "5000"}).status, 0);
    const std::string path = dir.file("talsk.btn");
    FILE* exporting = popen((std::string(TALSK_CLI_PATH) + " export " + path).c_str(), "r");
    ASSERT_NE(exporting, nullptr);
    char line[1024];
    ASSERT_NE(std::fgets(line, sizeof line, exporting), nullptr);

    PhoneBase program;
    program.path = path;
    EXPECT_TRUE(openBase(program, nullptr));
    EXPECT_EQ(program.status, StatusConnected);
    EXPECT_EQ(program.readOnly, 0);
    size_t lines = 1;
    while (std::fgets(line, sizeof line, exporting) != nullptr)
        lines += std::string(line).back() == '\n';
    EXPECT_EQ(pclose(exporting), 0);
    EXPECT_GT(lines, 5000u);

    CliResult info = runCli({"info", path});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(infoField(info.out, "status"), "1");
    CliResult found = runCli({"search", "--all", "*", path});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_NE(found.out.find("# population=5000 "), std::string::npos) << found.out;
    closeBase(program);
}

// A file the program holds is not written over, and the message says why.
TEST_F(BaseCommands, WritingCommandsNameWhyTheyCannotWrite) {
    makeDemo();
    const std::string held = dir.file("talsk-keyed.btn");
    PhoneBase program;
    program.path = held;
    program.key = deriveFileKey(utf8ToCp1251("тальск"));
    ASSERT_TRUE(openBase(program, nullptr));
    const std::vector<unsigned char> before = readBytes(held);

    CliResult imported = runCli({"import", "--force", held}, "population\t0\t1\t\t\t\t\t\t\n");
    EXPECT_EQ(imported.status, 1);
    EXPECT_NE(imported.err.find("файл занят другой программой"), std::string::npos) << imported.err;
    CliResult converted = runCli({"convert", dir.file("talsk.btn"), held, "--to", "1.2"});
    EXPECT_EQ(converted.status, 1);
    EXPECT_NE(converted.err.find("файл занят другой программой"), std::string::npos)
        << converted.err;
    EXPECT_EQ(readBytes(held), before);
    closeBase(program);
}

// Key boxes take at most 32 characters: a longer key would make a file that
// the program could never open.
TEST_F(BaseCommands, EveryCommandRefusesAKeyLongerThan32Characters) {
    makeDemo();
    std::string key33;
    for (int i = 0; i < 33; ++i)
        key33 += "ж";
    const std::string file = dir.file("talsk.btn");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", "--key", key33, file},
             {"export", "--key", key33, file},
             {"convert", file, dir.file("out.btn"), "--to", "1.2", "--key", key33},
             {"load", dir.path(), "--key", "talsk.btn=" + key33},
             {"search", "--key", "talsk.btn=" + key33, "--all", "a", file}}) {
        CliResult r = runCli(args);
        EXPECT_NE(r.status, 0) << args[0];
        EXPECT_NE(r.err.find("the key may have at most 32 characters"), std::string::npos)
            << args[0] << ": " << r.err;
    }
    EXPECT_TRUE(readBytes(dir.file("out.btn")).empty());
}

TEST_F(BaseCommands, ImportKeyOfAtMost32Characters) {
    const std::string record = "population\t0\t1\t\t\t\t\t\t\n";
    std::string key32;
    for (int i = 0; i < 32; ++i)
        key32 += "я";
    CliResult ok = runCli({"import", "--key", key32, dir.file("k32.btn")}, record);
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(runCli({"export", "--key", key32, dir.file("k32.btn")}).out, record);
    CliResult tooLong = runCli({"import", "--key", key32 + "я", dir.file("k33.btn")}, record);
    EXPECT_NE(tooLong.status, 0);
    EXPECT_NE(tooLong.err.find("at most 32 characters"), std::string::npos) << tooLong.err;
    EXPECT_TRUE(readBytes(dir.file("k33.btn")).empty());
}

TEST_F(BaseCommands, ImportRejectsBadLinesNamingLineAndField) {
    struct Case {
        std::string input;
        std::string message;
    } cases[] = {
        {"population\t0\t1\t2\n", "line 1: expected 9 tab-separated columns"},
        {"people\t0\t\t\t\t\t\t\t\n", "line 1: unknown table 'people'"},
        {"population\t0\t\t\t\t\t\t\t\npopulation\t1\t12345678901\t\t\t\t\t\t\n",
         "line 2: field phone is longer than 10 characters"},
        {"population\t0\t\t\t\t\t123456\t\t\n", "line 1: field unit is longer than 5 characters"},
        {"population\t0\t\t\\x\t\t\t\t\t\n", "line 1: bad escape in field name"},
    };
    for (const Case& c : cases) {
        CliResult r = runCli({"import", dir.file("bad.btn")}, c.input);
        EXPECT_NE(r.status, 0) << c.input;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(readBytes(dir.file("bad.btn")).empty()) << "nothing is written for " << c.input;
    }
    // Exactly the maximum lengths are accepted.
    std::string longest = "population\t0\t1234567890\t" + std::string(80, 'N') + "\t" +
                          std::string(60, 'S') + "\t123456789\t12345\t" + std::string(80, 'O') +
                          "\t" + std::string(100, 'C') + "\n";
    CliResult ok = runCli({"import", dir.file("max.btn")}, longest);
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(runCli({"export", dir.file("max.btn")}).out, longest);
}

#ifndef _WIN32 // folders, devices and closed descriptors as input are POSIX's
// Input that cannot be read whole is no end of input: the command says why,
// fails, and the base it would have replaced stays as it was.
TEST_F(BaseCommands, ImportOfInputThatCannotBeReadWholeWritesNothing) {
    const std::string target = dir.file("kept.btn");
    const std::string record = "population\t0\t1\t\t\t\t\t\t\n";
    ASSERT_EQ(runCli({"import", target}, record).status, 0);
    const std::vector<unsigned char> before = readBytes(target);
    const std::string longLine = record + record + std::string(1065, 'x') + "\n";
    writeBytes(dir.file("long.txt"), std::vector<unsigned char>(longLine.begin(), longLine.end()));
    std::filesystem::create_directory(dir.file("folder"));
    struct Case {
        const char* what;
        std::vector<std::string> options;
        std::string input; // a path; empty: standard input closed
        std::string message;
    } cases[] = {
        {"a folder", {}, dir.file("folder"), "cannot read standard input: Is a directory"},
        {"closed input", {}, "", "cannot read standard input: Bad file descriptor"},
        {"an over-long line", {}, dir.file("long.txt"), "line 3: longer than 1064 bytes"},
        {"endless bytes", {}, "/dev/zero", "line 1: longer than 1064 bytes"},
        {"a folder as key file",
         {"--key-file", dir.file("folder")},
         dir.file("long.txt"),
         "cannot read the key file " + dir.file("folder") + ": Is a directory"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"import", "--force"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(target);
        const CliResult r = runCliReading(args, c.input);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
        EXPECT_EQ(readBytes(target), before) << c.what;
    }
}
#endif

// The longest line a record can take, each character three UTF-8 bytes
// ("№"), is read; the bound refuses no record.
TEST_F(BaseCommands, ImportTakesTheLongestLineARecordCanTake) {
    std::string line = "organizations\t2147483647";
    for (int k = 1; k < 8; ++k) {
        line += '\t';
        for (int i = 0; i < kFieldMax[static_cast<size_t>(k)]; ++i)
            line += "№";
    }
    ASSERT_EQ(line.size() + 1, 1064u);
    const CliResult r = runCli({"import", dir.file("long.btn")}, line + "\r\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(runCli({"export", dir.file("long.btn")}).out.find(line.substr(24)),
              std::string::npos);
}

TEST_F(BaseCommands, BadUsageFailsWithOneMessage) {
    CliResult missing = runCli({"info", dir.file("absent.btn")});
    EXPECT_NE(missing.status, 0);
    EXPECT_EQ(infoField(missing.out, "status"), "8");
    EXPECT_EQ(infoField(missing.out, "version"), "-");

    writeBytes(dir.file("plain"), {1}); // a file where demo's folder goes
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"nosuchcommand"},
                                               {"info", "--bogus", "x.btn"},
                                               {"export"},
                                               {"demo", dir.file("plain")},
                                               {"demo", dir.path(), "--residents", "many"},
                                               {"info", "--key"}}) {
        CliResult r = runCli(args);
        EXPECT_NE(r.status, 0) << args[0];
        EXPECT_NE(r.err.find("talsk-cli: "), std::string::npos) << args[0];
        EXPECT_LT(r.status, 128) << "no crash for " << args[0];
    }
}

#ifndef _WIN32 // the second name is made by a POSIX call here
// A save in place killed before its journal went is undone by the first
// command that opens the file, which says so; loading a folder does the same.
TEST_F(BaseCommands, SaveCutShortIsUndoneByTheCommandThatOpensTheFile) {
    makeDemo();
    const std::string file = dir.file("talsk.btn");
    ASSERT_EQ(link(file.c_str(), dir.file("second.btn").c_str()), 0);
    const CliResult before = runCli({"export", file});
    ASSERT_EQ(before.status, 0) << before.err;
    TempDir other;
    ASSERT_EQ(runCli({"demo", other.path(), "--residents", "30", "--seed", "3"}).status, 0);
    const std::vector<unsigned char> newBytes = readBytes(other.file("talsk.btn"));

    const std::vector<std::vector<std::string>> openers = {
        {"export", file}, {"info", file}, {"load", dir.path()}};
    for (const auto& args : openers) {
        leaveJournaledSave(file, newBytes);
        ASSERT_EQ(readBytes(file), newBytes);
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
        // Loading may reach the file by its other name first.
        EXPECT_NE(r.err.find(": a save that was cut short was undone"), std::string::npos)
            << args[0] << ": " << r.err;
        EXPECT_EQ(runCli({"export", file}).out, before.out) << args[0];
        EXPECT_FALSE(
            fileSystem().attributes(journalBeside(file, fileSystem().attributes(file))).exists)
            << args[0];
    }
}
#endif

} // namespace
} // namespace talsk::test
