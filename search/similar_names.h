#pragma once
// How alike two names are when one was heard over the telephone and the
// other is written in the directory: the same sound under a phonetic key
// for Russian names, or one slip of the pen. All texts are Windows-1251.
//
// The phonetic key, step by step, on the name upper-cased with Ё as Е:
//  1. only letters and digits count (hyphens, spaces, quotes and dots go);
//  2. Ь and Ъ are dropped: Шварцьман = Шварцман;
//  3. a feminine or other common ending takes one form: ОВА, ЕВА, ИНА, ЫНА
//     lose their А (Петрова = Петров), АЯ and ОЙ become ИЙ (Тальская =
//     Тальский, Толстая = Толстой); at least two letters stay before it;
//  4. a voiced consonant at the end or before an unvoiced one is heard as
//     its unvoiced pair: Б П, В Ф, Г К, Д Т, Ж Ш, З С (Дуб = Дуп,
//     Ковтун = Кофтун);
//  5. ТС and ТЦ are heard as Ц: Братский = Брацкий;
//  6. vowels in unstressed positions blur, and the stress is not known, so
//     every vowel stands for its group: А О as А (Галкина = Голкина);
//     Е Э И Ы Я and Й as И (Майоров = Маиоров); У Ю as У
//     (Ковальчук = Ковальчюк);
//  7. a letter repeated is one letter: Кассиров = Касиров.
//
// One slip: one letter added, dropped or changed, or two neighbours
// swapped (Сидоров: Сиддоров, Сидров, Сидаров, Сидорво).

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace talsk {

// Upper-cased with Ё as Е: what the comparisons below work on.
std::string foldName(std::string_view name);
// The same into out, whose room is kept from call to call.
void foldNameInto(std::string_view name, std::string& out);

// The phonetic key of a folded name.
std::string phoneticKey(std::string_view folded);

// Whether b is a with one letter added, dropped or changed, or two
// neighbours swapped; equal texts are not.
bool withinOneSlip(std::string_view a, std::string_view b);

// A quick test before the key: every letter of a name stands for one bit of
// its sound class (А О; Е Ё Э И Ы Я Й; У Ю; Б П; В Ф; Г К; Д Т З С Ц; Ж Ш;
// and one bit each for the other letters, digits and Latin letters). Names
// with the same key have the same bits but for that of А О, which an ending
// may take away; one slip changes at most two bits. Entry c: the bit of
// byte c, folded as foldName folds it; 0 for what the key leaves out.
const std::array<uint32_t, 256>& soundBitTable();
uint32_t soundBits(std::string_view name);
// Whether names with these bits may be alike (see Likeness).
bool mayBeAlike(uint32_t a, uint32_t b);

// How alike a name is to the one asked for, the likeliest first.
enum class Likeness : uint8_t {
    Spelling,   // the same but for letter case or ё
    KeyAndSlip, // the same sound, and one slip apart
    Key,        // the same sound
    Slip,       // one slip apart
    None,
};

// Rates names against one asked-for word, its fold and key made once.
class SimilarMatcher {
public:
    explicit SimilarMatcher(std::string_view asked);
    // name folded by foldName.
    Likeness rateFolded(std::string_view folded) const;
    Likeness rate(std::string_view name) const { return rateFolded(foldName(name)); }
    uint32_t bits() const { return bits_; }

private:
    std::string folded_;
    std::string key_;
    uint32_t bits_ = 0;
};

} // namespace talsk
