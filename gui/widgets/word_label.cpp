#include "gui/widgets/word_label.h"

#include <QPainter>
#include <QStyle>

namespace talsk {

QString wholeWords(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width) return text;
    const QString ellipsis = QStringLiteral("…");
    for (qsizetype end = text.lastIndexOf(QLatin1Char(' ')); end > 0;
         end = text.lastIndexOf(QLatin1Char(' '), end - 1)) {
        // A word followed by a dash or a colon reads whole without them.
        QString head = text.left(end).trimmed();
        while (!head.isEmpty() && QStringLiteral("-–:,;").contains(head.back()))
            head = head.chopped(1).trimmed();
        if (head.isEmpty()) continue;
        const QString shown = head + ellipsis;
        if (metrics.horizontalAdvance(shown) <= width) return shown;
    }
    return QString();
}

void WordLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    style()->drawItemText(&painter, room, int(alignment()) | Qt::TextSingleLine, palette(),
                          isEnabled(), wholeWords(text(), fontMetrics(), room.width()),
                          foregroundRole());
}

} // namespace talsk
