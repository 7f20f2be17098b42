#include "search/layout_typing.h"

namespace talsk {

uint32_t convertTypedCharacter(const LayoutTable& layout, bool enabled, uint32_t lastKey,
                               uint32_t character) {
    if (!enabled) return character;
    // '/' and '?' on their own key and the keypad's '.' stay as typed.
    if (lastKey != kKeySlashQuestion && lastKey != kKeyNumpadDecimal && character < 256)
        character = layout[character];
    // Shift+2 gives the double quote, as on the Russian layout.
    if (lastKey == kKeyDigit2 && character != '2') character = '"';
    return character;
}

} // namespace talsk
