// The About box as a user meets it: the lines typed while it is open, OK
// closing it at once even mid-typing, reopening typing again, and the licence.

#include "gui/help/about_box.h"
#include "gui/help/about_box_typing.h"
#include "gui/help/licence_dialog.h"
#include "gui/support/events.h"
#include "gui/support/modal.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>

namespace talsk {
namespace {

std::string line(size_t i) {
    return aboutLines()[i];
}

std::string shown(const AboutBox& box, size_t i) {
    return box.lineText(i).toStdString();
}

QStringList shownLines(const AboutBox& box) {
    QStringList texts;
    for (size_t i = 0; i < aboutLines().size(); ++i)
        texts << box.lineText(i);
    return texts;
}

TEST(AboutBox, OkClosesAtOnceWhileTypingAndReopeningTypesAgain) {
    {
        AboutBox box;
        box.show();
        EXPECT_EQ(shown(box, 0), line(0)); // the title is there at once
        ASSERT_TRUE(QTest::qWaitFor([&] { return !box.lineText(1).isEmpty(); }, 3000));
        QTest::mouseClick(test::button(&box, "OK"), Qt::LeftButton);
        // A slow machine may close it a little later; that it did not wait
        // for the greeting shows below.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !box.isVisible(); }, 5000));
        EXPECT_EQ(box.result(), QDialog::Accepted);
        // Stopped mid-way: the typing ended with the box; a character
        // already on its way may still land, then nothing changes and the
        // greeting never completes.
        EXPECT_FALSE(box.typing());
        ASSERT_TRUE(test::runPostedEvents());
        const QStringList atClose = shownLines(box);
        ASSERT_TRUE(test::runPostedEvents());
        EXPECT_EQ(shownLines(box), atClose);
        EXPECT_NE(shown(box, 6), line(6));
    }
    AboutBox again;
    again.show();
    EXPECT_TRUE(again.lineText(1).isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(again, 6) == line(6); }, 10000));
    for (size_t i = 0; i < aboutLines().size(); ++i)
        EXPECT_EQ(shown(again, i), line(i)) << i;
}

TEST(AboutBox, LicenceButtonShowsTheWholeLicence) {
    AboutBox box;
    box.show();
    const QString licence = licenceText();
    ASSERT_TRUE(licence.contains(QStringLiteral("БЕЗ КАКИХ-ЛИБО ГАРАНТИЙ")));
    QString licenceShown;
    test::whenModal<LicenceDialog>([&](LicenceDialog* dialog) {
        auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("licenceText"));
        if (text != nullptr) {
            EXPECT_TRUE(text->isReadOnly());
            licenceShown = text->toPlainText();
        }
        QTest::mouseClick(test::button(dialog, "OK"), Qt::LeftButton);
    });
    QTest::mouseClick(test::button(&box, QStringLiteral("Лицензия")), Qt::LeftButton);
    EXPECT_EQ(licenceShown.toStdString(), licence.toStdString()); // all of it, to its last line
    EXPECT_TRUE(box.isVisible());                                 // the licence closes alone
    box.accept();
}

} // namespace
} // namespace talsk
