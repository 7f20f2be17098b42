#include "gui/mainwindow/layout_typing_filter.h"

#include "platform/cp1251.h"
#include "search/layout_typing.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace talsk {

uint32_t layoutKeyCode(int qtKey, bool keypad) {
    if (keypad && (qtKey == Qt::Key_Period || qtKey == Qt::Key_Comma || qtKey == Qt::Key_Delete))
        return kKeyNumpadDecimal;
    if (keypad) return 0;
    switch (qtKey) {
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return kKeySlashQuestion;
    case Qt::Key_2:
    case Qt::Key_At:
        return kKeyDigit2;
    default:
        return static_cast<uint32_t>(qtKey) & 0xFFFF;
    }
}

QString convertTypedText(const LayoutTable& layout, bool enabled, uint32_t lastKey,
                         const QString& typed) {
    QString out;
    for (QChar ch : typed) {
        const std::string bytes = utf8ToCp1251(QString(ch).toStdString());
        if (bytes.size() != 1 || (bytes[0] == '?' && ch != u'?')) {
            out += ch; // not a Windows-1251 character: left as typed
            continue;
        }
        uint32_t c =
            convertTypedCharacter(layout, enabled, lastKey, static_cast<unsigned char>(bytes[0]));
        out += QChar(static_cast<char16_t>(cp1251ToUnicode(static_cast<unsigned char>(c))));
    }
    return out;
}

bool LayoutTypingFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (auto* combo = qobject_cast<QComboBox*>(watched)) edit = combo->lineEdit();
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enabled = settings_ && settings_->latinToCyrillic == 1;
    if (!edit || !enabled || key->text().isEmpty() || !key->text()[0].isPrint() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const uint32_t lastKey = layoutKeyCode(key->key(), key->modifiers() & Qt::KeypadModifier);
    const QString text = convertTypedText(set_.layout, true, lastKey, key->text());
    if (text == key->text()) return false;
    edit->insert(text); // emits textEdited like typing does
    return true;
}

} // namespace talsk
