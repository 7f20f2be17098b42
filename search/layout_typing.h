#pragma once
// "Заменять английские символы русскими": the search bars pass each typed
// character through this rule, so that Latin keys give the Russian letters of
// the same keys.

#include "base/base_set.h"

#include <cstdint>

namespace talsk {

// Virtual-key codes the rule looks at.
constexpr uint32_t kKeySlashQuestion = 191; // the key with '/' and '?'
constexpr uint32_t kKeyNumpadDecimal = 110; // the numeric keypad's '.'
constexpr uint32_t kKeyDigit2 = 50;         // the '2' key

// The character that reaches the input: `character` as typed, `lastKey` the
// virtual-key code of the last key-down of this bar. Without `enabled`
// (the settings' latinToCyrillic) the character is returned unchanged.
uint32_t convertTypedCharacter(const LayoutTable& layout, bool enabled, uint32_t lastKey,
                               uint32_t character);

} // namespace talsk
