// talsk-cli search, run as the user runs it over demo files.

#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talsk::test {
namespace {

std::vector<std::string> lines(const std::string& out) {
    std::vector<std::string> v;
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        v.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    return v;
}

std::vector<std::string> columns(const std::string& line) {
    std::vector<std::string> v;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        v.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return v;
        start = tab + 1;
    }
}

class SearchCommand : public ::testing::Test {
protected:
    static TempDir* dir;
    static void SetUpTestSuite() {
        dir = new TempDir;
        CliResult r = runCli({"demo", dir->path(), "--residents", "400", "--organizations", "60",
                              "--citycodes", "20", "--seed", "3"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    std::string plain() const { return dir->file("talsk.btn"); }
    std::string keyed() const { return dir->file("talsk-keyed.btn"); }
};
TempDir* SearchCommand::dir = nullptr;

TEST_F(SearchCommand, FieldSearchPrintsHitsInExportFormatAndTotals) {
    CliResult r = runCli({"search", "--field", "name=иванов*", plain()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> out = lines(r.out);
    ASSERT_GE(out.size(), 2u);
    const size_t hits = out.size() - 1;
    EXPECT_EQ(out.back(), "# population=" + std::to_string(hits) +
                              " organizations=0 citycodes=0 total=" + std::to_string(hits));
    int previous = -1;
    for (size_t i = 0; i < hits; ++i) {
        std::vector<std::string> c = columns(out[i]);
        ASSERT_EQ(c.size(), 10u) << out[i];
        EXPECT_EQ(c[0], "0");
        EXPECT_EQ(c[1], "population");
        EXPECT_GT(std::stoi(c[2]), previous); // record order
        previous = std::stoi(c[2]);
        EXPECT_EQ(c[4].rfind("Иванов", 0), 0u) << c[4];
    }
    // The same records as export shows them.
    CliResult exported = runCli({"export", plain()});
    ASSERT_EQ(exported.status, 0);
    for (size_t i = 0; i < hits; ++i)
        EXPECT_NE(exported.out.find(out[i].substr(2) + "\n"), std::string::npos) << out[i];
}

TEST_F(SearchCommand, CaseOptionAndTables) {
    CliResult any = runCli({"search", "--field", "name=иванов*", plain()});
    CliResult exact = runCli({"search", "--case", "--field", "name=иванов*", plain()});
    ASSERT_EQ(exact.status, 0) << exact.err;
    EXPECT_GT(lines(any.out).size(), 1u);
    EXPECT_EQ(lines(exact.out),
              (std::vector<std::string>{"# population=0 organizations=0 citycodes=0 total=0"}));

    CliResult city = runCli({"search", "--tables", "city", "--field", "name=москва", plain()});
    ASSERT_EQ(city.status, 0) << city.err;
    std::vector<std::string> out = lines(city.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(columns(out[0])[1], "citycodes");
    EXPECT_EQ(out[1], "# population=0 organizations=0 citycodes=1 total=1");

    CliResult organizations = runCli({"search", "--tables", "org", "--all", "*", plain()});
    EXPECT_EQ(lines(organizations.out).back(),
              "# population=0 organizations=60 citycodes=0 total=60");
}

TEST_F(SearchCommand, GeneralSearchOverSeveralFilesAndChosenFields) {
    CliResult r = runCli({"search", "--key", "talsk-keyed.btn=тальск", "--tables", "pop", "--all",
                          "*", plain(), keyed()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> out = lines(r.out);
    EXPECT_EQ(out.back(), "# population=900 organizations=0 citycodes=0 total=900");
    EXPECT_EQ(columns(out[399])[0], "0");
    EXPECT_EQ(columns(out[400])[0], "1");

    CliResult street = runCli({"search", "--all", "ленина", "--in", "street", plain()});
    CliResult name = runCli({"search", "--all", "ленина", "--in", "name,comment", plain()});
    ASSERT_EQ(street.status, 0) << street.err;
    EXPECT_GT(lines(street.out).size(), 1u);
    EXPECT_EQ(lines(name.out).back(), "# population=0 organizations=0 citycodes=0 total=0");
}

TEST_F(SearchCommand, SimilarNamesWhenNothingIsFound) {
    // Without --yo «Федорова» finds none of the demo's Фёдоровы: they are offered.
    CliResult r = runCli({"search", "--similar", "--field", "name=Федорова", plain()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> out = lines(r.out);
    ASSERT_GE(out.size(), 3u) << r.out;
    EXPECT_EQ(out.back(), "# population=0 organizations=0 citycodes=0 total=0");
    EXPECT_EQ(columns(out[0])[1], "Фёдорова");
    EXPECT_EQ(columns(out[1])[1], "Фёдоров");
    for (size_t i = 0; i + 1 < out.size(); ++i) {
        const std::vector<std::string> c = columns(out[i]);
        ASSERT_EQ(c.size(), 3u) << out[i];
        EXPECT_EQ(c[0], "similar");
        // The count is that of the records whose surname it is.
        CliResult exact = runCli({"search", "--spaces", "--field", "name=" + c[1] + " *", plain()});
        EXPECT_EQ(lines(exact.out).back(),
                  "# population=" + c[2] + " organizations=0 citycodes=0 total=" + c[2]);
    }

    // A search that finds something offers nothing.
    CliResult yo = runCli({"search", "--yo", "--similar", "--field", "name=Федорова", plain()});
    ASSERT_EQ(yo.status, 0) << yo.err;
    const std::string count = columns(out[0])[2];
    EXPECT_EQ(lines(yo.out).back(),
              "# population=" + count + " organizations=0 citycodes=0 total=" + count);
    EXPECT_EQ(yo.out.find("similar"), std::string::npos);

    CliResult org =
        runCli({"search", "--similar", "--tables", "org", "--all", "Тальгорэнэрго*", plain()});
    ASSERT_EQ(org.status, 0) << org.err;
    out = lines(org.out);
    ASSERT_EQ(out.size(), 2u) << org.out;
    EXPECT_EQ(columns(out[0])[0], "similar");
    EXPECT_EQ(columns(out[0])[1], "Тальгорэнерго");
}

TEST_F(SearchCommand, MissingKeyIsReportedAndTheOtherFilesSearched) {
    CliResult r = runCli({"search", "--tables", "pop", "--all", "*", plain(), keyed()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("talsk-keyed.btn"), std::string::npos) << r.err;
    EXPECT_EQ(lines(r.out).back(), "# population=400 organizations=0 citycodes=0 total=400");
}

TEST_F(SearchCommand, QueriesOverTheLimitsExitWithStatusTwo) {
    std::string words;
    for (int i = 0; i < 32; ++i)
        words += "a ";
    CliResult terms = runCli({"search", "--all", words, plain()});
    EXPECT_EQ(terms.status, 2);
    EXPECT_NE(terms.err.find("31"), std::string::npos) << terms.err;
    EXPECT_TRUE(terms.out.empty());

    CliResult segments =
        runCli({"search", "--field", "street=a*b*c*d*e*f*g*h*i*j*k*l*m*n*o*p*q*r*s*t", plain()});
    EXPECT_EQ(segments.status, 2);
    EXPECT_NE(segments.err.find("19"), std::string::npos) << segments.err;
    EXPECT_NE(segments.err.find("street"), std::string::npos) << segments.err;
}

TEST_F(SearchCommand, BadArgumentsExitWithStatusTwo) {
    EXPECT_EQ(runCli({"search", plain()}).status, 2);
    EXPECT_EQ(runCli({"search", "--field", "name=a", "--all", "b", plain()}).status, 2);
    EXPECT_EQ(runCli({"search", "--field", "nome=a", plain()}).status, 2);
    EXPECT_EQ(runCli({"search", "--tables", "all", "--all", "a", plain()}).status, 2);
    EXPECT_EQ(runCli({"search", "--all", "a", "--in", "name,x", plain()}).status, 2);
    EXPECT_EQ(runCli({"search", "--field", "name=a", "--in", "name", plain()}).status, 2);
    EXPECT_EQ(runCli({"search", "--all", "a"}).status, 2);
    EXPECT_EQ(runCli({"search", "--all", std::string(101, 'a'), plain()}).status, 2);
}

} // namespace
} // namespace talsk::test
