// talsk-cli convert, and the version 1.2 side of info, export and import.

#include "base/legacy_12.h"
#include "platform/cp1251.h"
#include "platform/file.h"
#include "support/cli_runner.h"
#include "support/legacy_images.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace talsk::test {
namespace {

class ConvertCommand : public ::testing::Test {
protected:
    TempDir dir;
};

const std::string kRecords = "population\t0\t123\tИванов И.И.\tЛенина\t5а\t12\t\tс табом\\tвнутри\n"
                             "population\t1\t\t\t\t\t\t\t\n"
                             "organizations\t0\t45\tДиректор\tМира\t1\t7\tЗавод \"Тальск\"\t\n"
                             "organizations\t1\t46\tБухгалтер\tМира\t1234567\t\tЗавод\tвторой\n";
// What comes back: the organization's unit joined to its house.
const std::string kExpected =
    "population\t0\t123\tИванов И.И.\tЛенина\t5а\t12\t\tс табом\\tвнутри\n"
    "population\t1\t\t\t\t\t\t\t\n"
    "organizations\t0\t45\tДиректор\tМира\t1-7\t\tЗавод \"Тальск\"\t\n"
    "organizations\t1\t46\tБухгалтер\tМира\t1234567\t\tЗавод\tвторой\n";

TEST_F(ConvertCommand, KeyedVersion12TravelsToVersion20AndBack) {
    CliResult made =
        runCli({"import", "--version", "1.2", "--key", "ключ", dir.file("old.btn")}, kRecords);
    ASSERT_EQ(made.status, 0) << made.err;

    CliResult info = runCli({"info", dir.file("old.btn")});
    EXPECT_EQ(infoField(info.out, "version"), "Версия 1.2");
    EXPECT_EQ(infoField(info.out, "keyed"), "1");
    EXPECT_EQ(infoField(info.out, "status"), "7");
    EXPECT_EQ(infoField(info.out, "population"), "2");
    EXPECT_EQ(infoField(info.out, "organizations"), "2");
    EXPECT_NE(infoField(info.out, "created"), "-");
    EXPECT_EQ(infoField(info.out, "compression"), "-"); // not compressed

    CliResult old = runCli({"export", "--version", "1.2", "--key", "ключ", dir.file("old.btn")});
    ASSERT_EQ(old.status, 0) << old.err;
    EXPECT_EQ(old.out, kExpected);

    CliResult up = runCli(
        {"convert", dir.file("old.btn"), dir.file("new.btn"), "--to", "2.0", "--key", "ключ"});
    ASSERT_EQ(up.status, 0) << up.err;
    EXPECT_EQ(up.out, "Конвертирование завершено\n");
    CliResult now = runCli({"export", "--key", "ключ", dir.file("new.btn")});
    ASSERT_EQ(now.status, 0) << now.err;
    EXPECT_EQ(now.out, kExpected);
    EXPECT_EQ(infoField(runCli({"info", dir.file("new.btn")}).out, "status"), "6"); // still keyed

    CliResult down = runCli(
        {"convert", dir.file("new.btn"), dir.file("again.btn"), "--to", "1.2", "--key", "ключ"});
    ASSERT_EQ(down.status, 0) << down.err;
    EXPECT_EQ(runCli({"export", "--version", "1.2", "--key", "ключ", dir.file("again.btn")}).out,
              kExpected);
}

TEST_F(ConvertCommand, WrongOrMissingKeysAndBadTargetsFail) {
    ASSERT_EQ(runCli({"import", "--version", "1.2", "--key", "ключ", dir.file("old.btn")}, kRecords)
                  .status,
              0);
    CliResult wrong = runCli(
        {"convert", dir.file("old.btn"), dir.file("new.btn"), "--to", "2.0", "--key", "клюк"});
    EXPECT_NE(wrong.status, 0);
    EXPECT_NE(wrong.err.find("Ошибка при загрузке данных."), std::string::npos) << wrong.err;
    CliResult none = runCli({"convert", dir.file("old.btn"), dir.file("new.btn"), "--to", "2.0"});
    EXPECT_NE(none.err.find("Не введен ключ."), std::string::npos) << none.err;
    CliResult same = runCli(
        {"convert", dir.file("old.btn"), dir.file("new.btn"), "--to", "1.2", "--key", "ключ"});
    EXPECT_NE(same.err.find("a file of version 1.2 cannot be converted to version 1.2."),
              std::string::npos)
        << same.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.btn")));
    CliResult exported = runCli({"export", "--version", "1.2", dir.file("old.btn")});
    EXPECT_NE(exported.status, 0);
    EXPECT_TRUE(exported.out.empty());

    CliResult noFolder = runCli({"convert", dir.file("old.btn"), dir.file("no/such/dir.btn"),
                                 "--to", "2.0", "--key", "ключ"});
    EXPECT_NE(noFolder.err.find("Ошибка при создании файла"), std::string::npos) << noFolder.err;

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"convert", dir.file("old.btn"), dir.file("x.btn")},
             {"convert", dir.file("old.btn"), dir.file("x.btn"), "--to", "3.0"},
             {"convert", dir.file("old.btn"), "--to", "2.0"},
             {"convert", dir.file("old.btn"), dir.file("x.btn"), "--to"},
             {"convert", dir.file("old.btn"), dir.file("x.btn"), "--to", "2.0", "--bogus"},
             {"export", "--version", "1.0", dir.file("old.btn")}}) {
        CliResult r = runCli(args);
        EXPECT_NE(r.status, 0) << args.size();
        EXPECT_NE(r.err.find("talsk-cli: "), std::string::npos);
        EXPECT_LT(r.status, 128);
    }
}

TEST_F(ConvertCommand, Version10FilesAreShownAndConverted) {
    Legacy10Content c;
    LegacyRecord person;
    person.phone = "2-22-22";
    person.name = utf8ToCp1251("Петров");
    person.initials = utf8ToCp1251("ИП");
    person.apartment = "3";
    c.tables[0].push_back(person);
    person.initials.clear();
    c.tables[0].push_back(person);
    LegacyRecord org;
    org.name = utf8ToCp1251("директор");
    org.organization = utf8ToCp1251("Хлебозавод");
    org.house = "9";
    c.tables[1].push_back(org);
    writeBytes(dir.file("v10.btn"), legacy10Image(c, ""));

    CliResult info = runCli({"info", dir.file("v10.btn")});
    EXPECT_EQ(infoField(info.out, "version"), "Версия 1.0");
    EXPECT_EQ(infoField(info.out, "status"), "7");
    EXPECT_EQ(infoField(info.out, "population"), "2");
    EXPECT_EQ(infoField(info.out, "organizations"), "1");
    EXPECT_EQ(infoField(info.out, "created"), "4.03.1998");
    EXPECT_EQ(infoField(info.out, "compression"), "-");

    const std::string expected = "population\t0\t2-22-22\tПетров ИП\t\t\t3\t\t\n"
                                 "population\t1\t2-22-22\tПетров\t\t\t3\t\t\n"
                                 "organizations\t0\t\tдиректор\t\t9\t\tХлебозавод\t\n";
    ASSERT_EQ(runCli({"convert", dir.file("v10.btn"), dir.file("v20.btn"), "--to", "2.0"}).status,
              0);
    EXPECT_EQ(runCli({"export", dir.file("v20.btn")}).out, expected);
    ASSERT_EQ(runCli({"convert", dir.file("v10.btn"), dir.file("v12.btn"), "--to", "1.2"}).status,
              0);
    EXPECT_EQ(runCli({"export", "--version", "1.2", dir.file("v12.btn")}).out, expected);
}

TEST_F(ConvertCommand, DamagedVersion10BodyIsReported) {
    Legacy10Content c;
    c.tables[0].resize(2);
    c.tables[0][1].phone = "12345678"; // over the 1.0 limit of 7
    writeBytes(dir.file("bad10.btn"), legacy10Image(c, "k"));
    CliResult r = runCli(
        {"convert", dir.file("bad10.btn"), dir.file("out.btn"), "--to", "2.0", "--key", "k"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("Файл bad10.btn поврежден, продолжение невозможно"), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.btn")));
}

TEST_F(ConvertCommand, To12RefusesToCutFieldsUnlessToldTo) {
    const std::string records = "population\t0\t1\t\t\t\t\t\t\n"
                                "population\t1\t1234567890\tИванов\t\t\t\t\t\n"
                                "organizations\t0\t2\t" +
                                std::string(61, 'N') + "\t\t\t\t\t\n";
    ASSERT_EQ(runCli({"import", dir.file("new.btn")}, records).status, 0);
    CliResult refused =
        runCli({"convert", dir.file("new.btn"), dir.file("old.btn"), "--to", "1.2"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("Записей с полями длиннее допустимых в версии 1.2: 2. Первая из "
                               "них: Население, запись 2, поле \"Телефон\"."),
              std::string::npos)
        << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("old.btn")));

    CliResult cut =
        runCli({"convert", dir.file("new.btn"), dir.file("old.btn"), "--to", "1.2", "--cut"});
    ASSERT_EQ(cut.status, 0) << cut.err;
    EXPECT_EQ(cut.out, "Конвертирование завершено\n");
    EXPECT_EQ(runCli({"export", "--version", "1.2", dir.file("old.btn")}).out,
              "population\t0\t1\t\t\t\t\t\t\n"
              "population\t1\t123456789\tИванов\t\t\t\t\t\n"
              "organizations\t0\t2\t" +
                  std::string(60, 'N') + "\t\t\t\t\t\n");
}

// In place, the source itself must be opened for writing.
TEST_F(ConvertCommand, InPlaceSourceThatCannotBeOpenedForWriting) {
    ASSERT_EQ(runCli({"import", dir.file("a.btn")}, "population\t0\t1\t\t\t\t\t\t\n").status, 0);
    auto holder = fileSystem().open(dir.file("a.btn"), OpenMode::ReadWriteExclusive);
    ASSERT_TRUE(holder);
    CliResult r = runCli({"convert", dir.file("a.btn"), dir.file("a.btn"), "--to", "1.2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Ошибка при открытии файла"), std::string::npos) << r.err;
}

TEST_F(ConvertCommand, ImportOfVersion12RefusesWhatItCannotKeep) {
    struct Case {
        std::string input;
        std::string message;
    } cases[] = {
        {"citycodes\t0\t495\tМосква\t\t\t\t\t\n", "line 1: version 1.2 holds no city codes"},
        {"population\t0\t1234567890\t\t\t\t\t\t\n",
         "line 1: field phone is longer than 9 characters for version 1.2"},
        {"population\t0\t\t\t\t\t12345\t\t\n",
         "line 1: field unit is longer than 4 characters for version 1.2"},
        {"population\t0\t\t\t\t\t\tЗавод\t\n", "line 1: field organization is not kept"},
        {"organizations\t0\t\t\t\t1234\t1234\t\t\n",
         "line 1: house and unit together are longer than 7 characters"},
    };
    for (const Case& c : cases) {
        CliResult r = runCli({"import", "--version", "1.2", dir.file("bad.btn")}, c.input);
        EXPECT_NE(r.status, 0) << c.input;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("bad.btn")));
    }
    // Plain 1.2 files need no key.
    CliResult ok = runCli({"import", "--version", "1.2", dir.file("plain.btn")},
                          "organizations\t0\t\t\t\t123\t1234\t\t\n");
    ASSERT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(infoField(runCli({"info", dir.file("plain.btn")}).out, "keyed"), "0");
    EXPECT_EQ(runCli({"export", "--version", "1.2", dir.file("plain.btn")}).out,
              "organizations\t0\t\t\t\t123-1234\t\t\t\n");
}

// As for version 2.0: the readable table comes out, the export fails with the status.
TEST_F(ConvertCommand, ExportOfAPartlyReadableVersion12FileFails) {
    LegacyRecord r;
    r.phone = "2-22-22";
    r.name = "Petrov";
    Legacy12Table tables[2];
    ASSERT_TRUE(packLegacy12(r, TableKind::Population, tables[0].text));
    ASSERT_TRUE(packLegacy12(r, TableKind::Organizations, tables[1].text));
    ASSERT_TRUE(packLegacy12(r, TableKind::Organizations, tables[1].text));
    tables[0].count = 1;
    tables[1].count = 3; // one more than its text holds
    std::vector<unsigned char> image;
    ASSERT_TRUE(buildLegacy12Image(tables, false, "", image));
    writeBytes(dir.file("part12.btn"), image);
    CliResult part = runCli({"export", "--version", "1.2", dir.file("part12.btn")});
    EXPECT_EQ(part.status, 1);
    EXPECT_EQ(part.out, "population\t0\t2-22-22\tPetrov\t\t\t\t\t\n");
    EXPECT_NE(part.err.find("Файл открыт только для чтения."), std::string::npos) << part.err;
}

TEST_F(ConvertCommand, InfoOfDamagedOrOtherVersions) {
    writeBytes(dir.file("b.btn"), image20b(BaseContent{}, ""));
    CliResult b = runCli({"info", dir.file("b.btn")});
    EXPECT_EQ(infoField(b.out, "version"), "Версия 2.0b");
    EXPECT_EQ(infoField(b.out, "status"), "7");

    ASSERT_EQ(
        runCli({"import", "--version", "1.2", dir.file("h.btn")}, "population\t0\t1\t\t\t\t\t\t\n")
            .status,
        0);
    std::vector<unsigned char> bytes = readBytes(dir.file("h.btn"));
    bytes[3] = 7; // no such scrambled flag
    writeBytes(dir.file("h.btn"), bytes);
    CliResult h = runCli({"info", dir.file("h.btn")});
    EXPECT_EQ(infoField(h.out, "version"), "Версия 1.2");
    EXPECT_EQ(infoField(h.out, "status"), "4");
    EXPECT_EQ(infoField(h.out, "message"),
              "Ошибка при чтении заголовка. Файл поврежден или неверный формат файла.");
}

} // namespace
} // namespace talsk::test
