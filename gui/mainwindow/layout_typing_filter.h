#pragma once
// Feeds the characters typed into a search input through the program's
// keyboard-layout rule, so that Latin keys give the Russian letters of the
// same keys while the settings ask for it.

#include "base/base_set.h"

#include <QObject>
#include <QString>

#include <cstdint>

namespace talsk {

// The platform key code the layout rule looks at, from a Qt key.
uint32_t layoutKeyCode(int qtKey, bool keypad);
// The text that reaches the input for the text a key produced.
QString convertTypedText(const LayoutTable& layout, bool enabled, uint32_t lastKey,
                         const QString& typed);

// Installed on a line edit or an editable combo box: replaces the text of typed keys by the rule.
class LayoutTypingFilter : public QObject {
public:
    // settings: whose latinToCyrillic turns the rule on; none: off.
    LayoutTypingFilter(const BaseSet& set, const ProgramSettings* settings, QObject* parent)
        : QObject(parent), set_(set), settings_(settings) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const BaseSet& set_;
    const ProgramSettings* settings_;
};

} // namespace talsk
