// talsk-cli rekey on files in a temporary folder.

#include "platform/cp1251.h"
#include "support/cli_runner.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

TEST(RekeyCommand, NewKeyThenNoKeyAndRefusals) {
    TempDir dir;
    const std::string file = dir.file("base.btn");
    writeBaseFile(file, 20, 4, 1, utf8ToCp1251("старый"));
    const std::vector<unsigned char> bytes = readBytes(file);

    CliResult r = runCli({"rekey", file, "--key", "неверный", "--new-key", "x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Ошибка при загрузке данных."), std::string::npos) << r.err;
    EXPECT_EQ(runCli({"rekey", file, "--key", "старый"}).status, 2); // neither new key nor none
    EXPECT_EQ(readBytes(file), bytes);

    r = runCli({"rekey", file, "--key", "старый", "--new-key", "новый"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Ключ изменен\n");
    EXPECT_EQ(infoField(runCli({"info", "--key", "новый", file}).out, "status"), "1");
    EXPECT_EQ(runCli({"info", "--key", "старый", file}).status, 1);

    ASSERT_EQ(runCli({"rekey", file, "--key", "новый", "--no-key"}).status, 0);
    CliResult info = runCli({"info", file});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(infoField(info.out, "keyed"), "0");
}

} // namespace
} // namespace talsk::test
