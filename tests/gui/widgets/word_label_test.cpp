// Texts cut for want of room end at a whole word, and the ellipsis says so.

#include "gui/widgets/word_label.h"

#include <QFont>
#include <QFontMetrics>

#include <gtest/gtest.h>

#include <algorithm>

namespace talsk {
namespace {

TEST(WholeWords, CutsOnlyBetweenWords) {
    const QFont font;
    const QFontMetrics m(font);
    const QString prompt = QStringLiteral("Загрузка файлов - подождите");
    const auto w = [&](const QString& s) { return m.horizontalAdvance(s); };
    const struct {
        int width;
        QString shown;
    } cases[] = {
        {w(prompt), prompt},
        {w(prompt) + 100, prompt},
        {w(prompt) - 1, QStringLiteral("Загрузка файлов…")}, // the dash goes with the word
        {w(QStringLiteral("Загрузка файлов…")), QStringLiteral("Загрузка файлов…")},
        {w(QStringLiteral("Загрузка файлов…")) - 1, QStringLiteral("Загрузка…")},
        {w(QStringLiteral("Загрузка…")), QStringLiteral("Загрузка…")},
        {w(QStringLiteral("Загрузка…")) - 1, QString()},
        {0, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        const QString shown = wholeWords(prompt, m, c.width);
        EXPECT_EQ(shown, c.shown);
        EXPECT_LE(w(shown), std::max(c.width, 0));
    }
    // One long word is never cut inside.
    EXPECT_EQ(wholeWords(QStringLiteral("Всего"), m, w(QStringLiteral("Всего")) - 1), QString());
}

} // namespace
} // namespace talsk
