#pragma once
// A summary of the letter pairs each block of records holds, so that a
// search for a rare word passes over blocks that cannot contain it. Pairs
// are taken after the widest fold the search knows (upper case, ё as е),
// so one summary serves every case rule; they are hashed into a few hundred
// bits a block, which can only over-state what a block holds.

#include "base/block.h"

#include <cstdint>

namespace talsk {

struct BaseTable;

constexpr int32_t kPairBlockRecords = 32;
constexpr int kPairBits = 512;
constexpr int kPairWords = kPairBits / 64;

// The bit of the pair (a, b) of adjacent bytes; -1 for a pair with a zero or
// a space in it (a word may meet those differently under the spaces option).
int pairBit(unsigned char a, unsigned char b);

// The pairs every match of one or more words must hold: a block may hold a
// match when it has every pair of at least one word.
class PairQuery {
public:
    static constexpr int kMaxWords = 4;
    // Adds a word of `length` bytes as the matcher compares it: as typed, or
    // through one of the search's folds, each of which the summary's fold
    // merges further; a '?' stands for any character and a zero parts
    // pieces of one word. A word with fewer than two pairs, or a fifth word,
    // makes the query useless: every block may then hold a match.
    void addWord(const unsigned char* text, int length);
    bool useful() const { return useful_ && count_ > 0; }
    bool mayHold(const uint64_t* block) const {
        for (int w = 0; w < count_; ++w) {
            bool all = true;
            for (int k = 0; k < kPairWords; ++k)
                all = all && (block[k] & masks_[w][k]) == masks_[w][k];
            if (all) return true;
        }
        return false;
    }

private:
    uint64_t masks_[kMaxWords][kPairWords] = {};
    int count_ = 0;
    bool useful_ = true;
};

class PairFilter {
public:
    // Summarises every record of the indexed table; without memory for it
    // the filter stays empty, which only costs speed.
    void build(const BaseTable& table);
    void clear();
    // Built for the table as it now is (an edit clears it).
    bool covers(const BaseTable& table) const;
    // Block b holds records [b * kPairBlockRecords, (b + 1) * kPairBlockRecords).
    const uint64_t* block(int32_t b) const {
        return reinterpret_cast<const uint64_t*>(bits_.data()) + size_t(b) * kPairWords;
    }
    size_t bytes() const { return bits_.size(); }

private:
    Block bits_;
    int32_t records_ = 0;
    int32_t textSize_ = 0;
};

} // namespace talsk
