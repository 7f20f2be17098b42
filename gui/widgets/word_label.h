#pragma once
// Texts cut for want of room end at a word: half a word reads as another word
// ("Зсего" for "Всего").

#include <QFontMetrics>
#include <QLabel>
#include <QString>

namespace talsk {

// As many whole words of text as fit in width pixels, followed by "…" when
// some were left out; the text itself when it fits, empty when not even its
// first word does.
QString wholeWords(const QString& text, const QFontMetrics& metrics, int width);

// A one-line label drawn with wholeWords; its text (what a screen reader
// reads) stays whole.
class WordLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace talsk
