#include "base/base_file.h"
#include "base/key_store.h"
#include "base/settings.h"
#include "platform/cp1251.h"
#include "support/cli_runner.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"
#include "tools/convert.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace talsk {
namespace {

using test::runCli;
using test::TempDir;
using test::writeBaseFile;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

// The variable that names the per-user configuration folder.
#ifdef _WIN32
constexpr char kConfigVar[] = "APPDATA";
void setVar(const char* name, const char* value) {
    _putenv_s(name, value);
}
void unsetVar(const char* name) {
    _putenv_s(name, "");
}
#else
constexpr char kConfigVar[] = "XDG_CONFIG_HOME";
void setVar(const char* name, const char* value) {
    setenv(name, value, 1);
}
void unsetVar(const char* name) {
    unsetenv(name);
}
#endif

// A program folder, and a key store of its own for the tool's runs.
class LoadCommand : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv(kConfigVar);
        hadConfig_ = old != nullptr;
        if (old) savedConfig_ = old;
        setVar(kConfigVar, config.path().c_str());
    }
    void TearDown() override {
        if (hadConfig_)
            setVar(kConfigVar, savedConfig_.c_str());
        else
            unsetVar(kConfigVar);
    }
    test::CliResult load(std::vector<std::string> options = {}) {
        options.insert(options.begin(), dir.path());
        options.insert(options.begin(), "load");
        return runCli(options);
    }
    void writeSettings(const std::vector<std::string>& names, bool connectFolderFiles,
                       bool autoRemoveMissing = false) {
        ProgramSettings s;
        s.programFolder = dir.path();
        s.connectFolderFiles = connectFolderFiles ? 1 : 0;
        s.autoRemoveMissing = autoRemoveMissing ? 1 : 0;
        s.fileCount = static_cast<int16_t>(names.size());
        for (size_t i = 0; i < names.size(); ++i)
            s.filePaths[i] = utf8ToCp1251(names[i]);
        ASSERT_TRUE(saveSettings(s));
    }

    TempDir dir;
    TempDir config;

private:
    bool hadConfig_ = false;
    std::string savedConfig_;
};

TEST_F(LoadCommand, FolderFilesWithDefaultSettings) {
    writeBaseFile(dir.file("b.btn"), 3, 2, 1, {}, 1);
    writeBaseFile(dir.file("a.btn"), 1, 0, 0, "ключ", 2);
    const auto r = load();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out),
              (std::vector<std::string>{"a.btn\t6\tНе введен ключ.\t0\t0\t1\t0\t0",
                                        "b.btn\t1\tФайл успешно подключен.\t1\t0\t3\t2\t1",
                                        "# population=3 organizations=2 citycodes=1 total=6"}));
    // Nothing was remembered: no key store was written; no settings either.
    EXPECT_TRUE(config.entries().empty());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"a.btn", "b.btn"}));
}

TEST_F(LoadCommand, ListedFilesOnlyAndTheSettingsStayUnchanged) {
    writeBaseFile(dir.file("x.btn"), 2, 0, 0, {}, 1);
    writeBaseFile(dir.file("unlisted.btn"), 2, 0, 0, {}, 2);
    writeSettings({"x.btn", "missing.btn"}, false);
    const std::vector<unsigned char> before = test::readBytes(dir.file(kConfigFileName));
    auto r = load();
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], "x.btn\t1\tФайл успешно подключен.\t1\t0\t2\t0\t0");
    EXPECT_EQ(out[1], "missing.btn\t8\tФайл не найден.\t0\t0\t0\t0\t0");
    EXPECT_EQ(out[2], "# population=2 organizations=0 citycodes=0 total=2");

    writeSettings({"missing.btn", "x.btn"}, false, true);
    const std::vector<unsigned char> removing = test::readBytes(dir.file(kConfigFileName));
    r = load();
    out = lines(r.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].substr(0, 8), "x.btn\t1\t");
    EXPECT_EQ(test::readBytes(dir.file(kConfigFileName)), removing);
    EXPECT_NE(before, removing);
}

TEST_F(LoadCommand, KeysFromOptionsAndFromTheStore) {
    writeBaseFile(dir.file("k.btn"), 4, 1, 0, utf8ToCp1251("ключ")); // typed keys are Windows-1251
    auto r = load({"--key", "k.btn=неверный"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out).at(0).substr(0, 8), "k.btn\t5\t");

    r = load({"--key", "k.btn=ключ"});
    EXPECT_EQ(lines(r.out).at(0), "k.btn\t1\tФайл успешно подключен.\t1\t0\t4\t1\t0");
    EXPECT_TRUE(config.entries().empty()); // not asked to remember

    r = load({"--key", "k.btn=ключ", "--remember"});
    EXPECT_EQ(lines(r.out).at(0).substr(0, 8), "k.btn\t1\t");
    KeyStore store(utf8ToCp1251(config.file("Quelvarin0/Key")));
    EXPECT_FALSE(store.lookupKey("k.btn").empty());

    r = load(); // the remembered key serves without any option
    EXPECT_EQ(lines(r.out).at(0).substr(0, 8), "k.btn\t1\t");
    ASSERT_TRUE(store.clearKeys());
    r = load();
    EXPECT_EQ(lines(r.out).at(0).substr(0, 8), "k.btn\t6\t");
}

TEST_F(LoadCommand, KeysThatCannotBeRememberedAreReportedWithTheCause) {
    writeBaseFile(dir.file("k.btn"), 4, 1, 0, utf8ToCp1251("ключ"));
    test::writeBytes(config.file("Quelvarin0"), {1}); // a file where the store's folder goes
    auto r = load({"--key", "k.btn=ключ", "--remember"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.out).at(0).substr(0, 8), "k.btn\t1\t"); // the files are listed all the same
    EXPECT_NE(r.err.find("Quelvarin0/Key: папка не найдена"), std::string::npos) << r.err;
}

TEST_F(LoadCommand, OldVersionIsConvertedOnlyWhenAsked) {
    TempDir source;
    writeBaseFile(source.file("new.btn"), 5, 3, 0);
    const ConvertResult made =
        convertFileWithTypedKey(source.file("new.btn"), dir.file("old.btn"), kVersion12, "", {},
                                FieldCutting::Allow); // random fields over the 1.2 limits
    ASSERT_EQ(made.outcome, ConvertOutcome::Done);
    ASSERT_EQ(test::readBytes(dir.file("old.btn")).at(0), 0x20);

    auto r = load();
    EXPECT_EQ(lines(r.out).at(0), "old.btn\t7\tНесоответствие версии файла.\t0\t0\t0\t0\t0");
    EXPECT_EQ(test::readBytes(dir.file("old.btn")).at(0), 0x20); // untouched

    r = load({"--convert"});
    EXPECT_EQ(lines(r.out).at(0), "old.btn\t1\tФайл успешно подключен.\t1\t0\t5\t3\t0");
    EXPECT_EQ(test::readBytes(dir.file("old.btn")).at(0), 0x01);
}

TEST_F(LoadCommand, KeyedOldVersionConvertsWithItsKey) {
    TempDir source;
    writeBaseFile(source.file("new.btn"), 2, 2, 0, "abc");
    ASSERT_EQ(convertFileWithTypedKey(source.file("new.btn"), dir.file("old.btn"), kVersion12,
                                      "abc", {}, FieldCutting::Allow)
                  .outcome,
              ConvertOutcome::Done);
    auto r = load({"--convert"});
    EXPECT_EQ(lines(r.out).at(0).substr(0, 10), "old.btn\t7\t");
    r = load({"--convert", "--key", "old.btn=abc"});
    EXPECT_EQ(lines(r.out).at(0), "old.btn\t1\tФайл успешно подключен.\t1\t0\t2\t2\t0");
}

TEST_F(LoadCommand, KeysLongerThanTheKeyEntryAreRefusedBeforeAnythingIsConverted) {
    // The key entries take 32 characters: a longer --key could never be typed,
    // and converting with it would make a file no key entry can open.
    const std::string key32 = "abcdefghijklmnopqrstuvwxyz012345";
    TempDir source;
    writeBaseFile(source.file("new.btn"), 2, 2, 0, key32);
    ASSERT_EQ(convertFileWithTypedKey(source.file("new.btn"), dir.file("old.btn"), kVersion12,
                                      key32, {}, FieldCutting::Allow)
                  .outcome,
              ConvertOutcome::Done);
    const std::vector<unsigned char> before = test::readBytes(dir.file("old.btn"));
    auto refused = runCli({"load", dir.path(), "--convert", "--key", "old.btn=" + key32 + "X"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("at most 32 characters"), std::string::npos) << refused.err;
    EXPECT_EQ(test::readBytes(dir.file("old.btn")), before) << "nothing is converted";
    auto r = load({"--convert", "--key", "old.btn=" + key32});
    EXPECT_EQ(lines(r.out).at(0), "old.btn\t1\tФайл успешно подключен.\t1\t0\t2\t2\t0");
}

// The folder's path is limited in characters, as the settings keep them (one
// Windows-1251 byte each), not in the bytes of its UTF-8 name.
TEST_F(LoadCommand, FolderPathLimitCountsCharacters) {
    const struct {
        size_t characters;
        bool loads;
    } cases[] = {
        {160, true},
#ifndef _WIN32 // longer than the longest path there
        {261, false},
#endif
    };
    for (const auto& c : cases) {
        std::string folder = dir.path();
        for (size_t left = c.characters - pathCharacters(folder); left > 0;) {
            size_t letters = std::min<size_t>(left - 1, 40);
            if (left - 1 - letters == 1) --letters; // the next folder needs a letter too
            folder += '/';
            for (size_t i = 0; i < letters; ++i)
                folder += "ж";
            left -= letters + 1;
        }
        ASSERT_EQ(pathCharacters(folder), c.characters);
        std::filesystem::create_directories(test::nativePath(folder));
        writeBaseFile(folder + "/a.btn", 2, 0, 0, {}, 1);
        const auto r = runCli({"load", folder});
        EXPECT_EQ(r.status == 0, c.loads) << c.characters << ": " << r.err;
        if (c.loads)
            EXPECT_EQ(lines(r.out).at(0), "a.btn\t1\tФайл успешно подключен.\t1\t0\t2\t0\t0");
        else
            EXPECT_NE(r.err.find("longer than 260 characters"), std::string::npos) << r.err;
    }
}

TEST_F(LoadCommand, BadArguments) {
    // Wrong arguments exit 2; a folder that is not there is a failure.
    EXPECT_EQ(runCli({"load", dir.path(), "--bogus"}).status, 2);
    EXPECT_EQ(runCli({"load", dir.path(), "--key", "nokey"}).status, 2);
    EXPECT_EQ(runCli({"load", dir.path(), "--key"}).status, 2);
    EXPECT_EQ(runCli({"load", dir.file("nowhere")}).status, 1);
    EXPECT_EQ(runCli({"load", dir.path(), dir.path()}).status, 2);
}

} // namespace
} // namespace talsk
