// The version converter, interactive and driven by loading.

#include "base/base_file.h"
#include "base/file_info.h"
#include "gui/mainwindow/loading_host.h"
#include "gui/support/modal.h"
#include "gui/tools/version_converter_dialog.h"
#include "platform/cp1251.h"
#include "support/loading_fixtures.h"
#include "support/temp_dir.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::typeText;
using test::whenModal;

// A version 1.2 file made from a random 2.0 one; keyed when typedKey is given.
std::string write12(const test::TempDir& dir, const std::string& name, int population,
                    const std::string& typedKey) {
    const std::string source = dir.file("source20.btn");
    test::writeBaseFile(source, population, 7, 3, typedKey, 11);
    const ConvertResult r = convertFileWithTypedKey(source, dir.file(name), kVersion12, typedKey,
                                                    {}, FieldCutting::Allow);
    EXPECT_EQ(r.outcome, ConvertOutcome::Done);
    return dir.file(name);
}

TEST(VersionConverterDialog, TargetsFollowTheSourceVersionAndMode) {
    using V = std::vector<uint16_t>;
    EXPECT_EQ(converterTargets(kVersion10b, false), (V{kVersion12, kVersion20}));
    EXPECT_EQ(converterTargets(kVersion20, false), (V{kVersion12}));
    EXPECT_EQ(converterTargets(kVersion20, true), V{});
    EXPECT_EQ(converterTargets(kVersion12, true), (V{kVersion20}));
    EXPECT_EQ(converterTargets(0, false), V{});
}

TEST(VersionConverterDialog, ConvertsAChosenFileIntoANewOneWithExtension) {
    test::TempDir dir;
    const std::string source = write12(dir, "old.btn", 120, {});
    VersionConverterDialog d(nullptr);
    d.chooseSource = [&](QWidget*) { return QString::fromStdString(source); };
    d.chooseDestination = [&](QWidget*) { return QString::fromStdString(dir.file("new")); };
    d.show();
    QTest::mouseClick(button(&d, QStringLiteral("Выбрать ...")), Qt::LeftButton);
    EXPECT_EQ(labelText(&d, "path"), QString::fromStdString(source));
    EXPECT_EQ(labelText(&d, "populationCount"), QStringLiteral("120"));
    EXPECT_EQ(labelText(&d, "version"), QStringLiteral("Версия 1.2"));
    EXPECT_FALSE(d.findChild<QLineEdit*>("key")->isEnabled()); // no key needed
    auto* targets = d.findChild<QComboBox*>("targets");
    ASSERT_EQ(targets->count(), 1);
    EXPECT_EQ(targets->currentText(), QStringLiteral("2.0"));

    QString said;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        said = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(button(&d, QStringLiteral("Продолжить")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !said.isEmpty() && !d.running(); }, 10000));
    EXPECT_EQ(said, QStringLiteral("Конвертирование завершено"));
    EXPECT_TRUE(targets->isVisible()); // the progress bar gave its place back

    PhoneBase info;
    ASSERT_TRUE(readFileInfo(dir.file("new.btn"), info)) << info.status;
    EXPECT_EQ(info.version, kVersion20);
    EXPECT_EQ(info.tables[0].count, 120);
    EXPECT_EQ(info.tables[1].count, 7);
}

// Loading meets a keyed 1.2 file: the user agrees to convert it, types its
// key in the converter, and the converted file connects with that key.
TEST(VersionConverterDialog, DrivenByLoadingConvertsInPlaceAndTheFileConnects) {
    test::TempDir dir;
    const std::string typed = utf8ToCp1251("ключ-12");
    write12(dir, "old.btn", 90, typed);

    ProgramSettings settings;
    resetSettings(settings, ResetMode::All);
    settings.programFolder = dir.path();
    settings.connectFolderFiles = 0;
    settings.fileCount = 1;
    settings.filePaths[0] = "old.btn";
    QtLoadingHost host(nullptr, {});

    QString question;
    QString prompt;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        question = box->text();
        whenModal<QMessageBox>([&](QMessageBox* info) {
            prompt = info->text();
            auto* converter = qobject_cast<VersionConverterDialog*>(info->parentWidget());
            info->button(QMessageBox::Ok)->click();
            ASSERT_NE(converter, nullptr);
            QTimer::singleShot(50, converter, [converter] {
                auto* key = converter->findChild<QLineEdit*>("key");
                EXPECT_TRUE(key->isEnabled());
                typeText(key, QStringLiteral("ключ-12"));
                QTest::mouseClick(button(converter, QStringLiteral("Продолжить")), Qt::LeftButton);
            });
        });
        box->button(QMessageBox::Yes)->click();
    });

    BaseSet set;
    const LoadReport report = Loader(set, settings, host, nullptr).run();
    EXPECT_EQ(question, QStringLiteral("Преобразовать файл old.btn в версию 2.0"));
    EXPECT_EQ(prompt, QStringLiteral("Введите ключ"));
    EXPECT_EQ(report.converted, 1);
    ASSERT_EQ(set.bases.size(), 1u);
    EXPECT_TRUE(set.bases[0].connected) << set.bases[0].status;
    EXPECT_EQ(set.bases[0].version, kVersion20);
    EXPECT_EQ(set.totalPopulation, 90);
    EXPECT_EQ(set.totalOrganizations, 7);
    closeBase(set.bases[0]);
}

} // namespace
} // namespace talsk
