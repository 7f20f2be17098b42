#pragma once
// The keyboard table resource (type "KEYTABLE", name 187): entry c is the
// character that the key typing Latin c gives on the Russian keyboard layout.

#include <array>

namespace talsk {

constexpr int kKeyTableResourceId = 187;

const std::array<unsigned char, 256>& keyTableResource();

} // namespace talsk
