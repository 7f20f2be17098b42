// The window's list of hits and talsk-cli search over the same files and the
// same query: the same records in the same order.

#include "base/base_file.h"
#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/general_search_bar.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"
#include "gui/support/config_home.h"
#include "gui/support/demo_folder.h"
#include "gui/support/modal.h"
#include "platform/file.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace talsk {
namespace {

class ListAndCliTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::makeDemoFolder(dir, settings, 3000, 400, 40));
        // A second file, so that the file of each hit counts too.
        PhoneBase second;
        second.path = dir.file("talsk2.btn");
        DemoOptions demo;
        demo.residents = 800;
        demo.organizations = 100;
        demo.cityCodes = 10;
        demo.seed = 2;
        ASSERT_TRUE(fillDemoBase(second, demo) && saveBase(second, kMaskAllTables));
        closeBase(second);

        frame = std::make_unique<CMainFrame>(settings);
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        frame->loadFiles();
        ASSERT_EQ(frame->baseSet().bases.size(), 2u);
    }

    // "base<TAB>table<TAB>record" of each row, in the grid's order.
    std::vector<std::string> windowList() const {
        static const char* const kTables[] = {"population", "organizations", "citycodes"};
        std::vector<std::string> list;
        const ResultsTable& table = frame->results();
        for (int row = 0; row < table.rowCount(); ++row) {
            const SearchHit hit = table.hitAt(row);
            list.push_back(std::to_string(hit.base) + '\t' + kTables[int(hit.table)] + '\t' +
                           std::to_string(hit.record));
        }
        return list;
    }

    // The same three columns of talsk-cli search over the window's files.
    std::vector<std::string> cliList(std::vector<std::string> args) const {
        args.insert(args.begin(), "search");
        for (const PhoneBase& base : frame->baseSet().bases)
            args.push_back(pathInFolder(dir.path(), base.path));
        const test::CliResult r = test::runCli(args);
        EXPECT_EQ(r.status, 0) << r.err;
        std::vector<std::string> list;
        std::istringstream out(r.out);
        for (std::string line; std::getline(out, line);) {
            if (line.rfind("# ", 0) == 0) continue; // the counts
            size_t cut = 0;
            for (int tab = 0; tab < 3 && cut != std::string::npos; ++tab)
                cut = line.find('\t', cut + (tab > 0 ? 1 : 0));
            list.push_back(line.substr(0, cut));
        }
        return list;
    }

    static QString today() { return QDate::currentDate().toString("dd.MM.yyyy"); }

    test::TempDir dir;
    test::ConfigHome home{dir.file("config")};
    ProgramSettings settings;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(ListAndCliTest, GeneralSearchListsWhatTheCommandLineFinds) {
    QLineEdit* edit = frame->generalBar()->combo()->lineEdit();
    edit->setFocus();
    test::typeText(edit, QStringLiteral("иванов"));
    QTest::keyClick(edit, Qt::Key_Return);
    const std::vector<std::string> shown = windowList();
    ASSERT_GT(shown.size(), 10u);
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), // the second file's hits too
                            [](const std::string& hit) { return hit.rfind("1\t", 0) == 0; }));
    EXPECT_EQ(shown, cliList({"--all", "иванов"}));
    EXPECT_EQ(frame->listHeading(), QStringLiteral("Общий поиск: иванов    ") + today());
}

TEST_F(ListAndCliTest, FieldSearchListsWhatTheCommandLineFinds) {
    FieldSearchPanel& panel = *frame->fieldPanel();
    panel.input(2)->setFocus();
    test::typeText(panel.input(2), QStringLiteral("Петров"));
    panel.input(3)->setFocus();
    test::typeText(panel.input(3), QStringLiteral("Лен"));
    QTest::keyClick(panel.input(3), Qt::Key_Return);
    const std::vector<std::string> shown = windowList();
    ASSERT_GT(shown.size(), 0u);
    EXPECT_EQ(shown, cliList({"--field", "name=Петров", "--field", "street=Лен"}));
    EXPECT_EQ(frame->listHeading(), QStringLiteral("Поиск по полям: Петров, Лен    ") + today());
}

} // namespace
} // namespace talsk
