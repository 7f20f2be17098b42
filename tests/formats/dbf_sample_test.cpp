// The dBASE III sample: a city codes table in OEM text imports into the
// records of its expected listing, so the reader, the OEM letters and the
// default mapping of the city codes stay as they are.

#include "formats/sample_files.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace talsk::test {
namespace {

std::string textOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DbfSample, ImportsIntoItsExpectedRecords) {
    TempDir dir;
    const std::string base = dir.file("gorod.btn");
    const CliResult imported = runCli({"dbf", base, "--citycodes", samplePath("gorod.dbf")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    const CliResult exported = runCli({"export", base});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, textOf(samplePath("gorod.expected.tsv")));

    const CliResult info = runCli({"dbf-info", samplePath("gorod.dbf")});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(infoField(info.out, "records"), "40");
    EXPECT_EQ(infoField(info.out, "columns"), "4");
}

} // namespace
} // namespace talsk::test
