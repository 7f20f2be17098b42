#pragma once
// The block scrambling of base file versions 1.0 and 1.2, driven by an
// 8-byte scramble key: the first 8 characters of the typed key (blank
// padded), or a built-in key when the file has no key of its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace talsk {

enum class LegacyVersion { V10, V12 };

struct ScrambleKey {
    unsigned char k[8] = {};
};

enum class BuiltinScrambleKey { Body10, Body12, Header12 };

ScrambleKey builtinScrambleKey(BuiltinScrambleKey which);
// The first 8 characters of the typed key text, blank padded.
ScrambleKey scrambleKeyOf(const std::string& typed);

// Scrambles or unscrambles buffer[0 .. size) in place. n is the length the
// parameters are based on and the blocks are laid out over: the buffer length
// for version 1.2, the body length for version 1.0. A caller holding only the
// start of the buffer (the 1.0 header read for display) passes size < n: only
// the blocks lying wholly within size are processed.
void scrambleBlocks(unsigned char* buffer, size_t size, uint32_t n, const ScrambleKey& key,
                    LegacyVersion version, bool unscramble);

// Size of the blocks the key cuts a buffer into.
uint32_t scrambleBlockSize(const ScrambleKey& key, LegacyVersion version);
// False when one of the three distances is 0 for this key and length: the
// transformation then loses information and cannot be undone.
bool scrambleIsReversible(const ScrambleKey& key, uint32_t n);

// Every typed key text whose derived file key is fileKey. The file key is the
// typed text XORed with a running byte that starts at the text's byte sum, so
// each possible start gives one candidate, kept when its sum matches.
std::vector<std::string> typedKeysOfFileKey(const std::string& fileKey);

} // namespace talsk
