#pragma once
// A deterministic generator of the sample in a format the program only reads
// (version 1.0). It made the committed file; the tests check that it still
// makes the same bytes, and TALSK_WRITE_SAMPLES=1 makes it write them anew.

#include <vector>

namespace talsk::test {

// base10.btn: version 1.0 scrambled with the built-in key; its records read
// as base10.expected.tsv.
std::vector<unsigned char> makeSample10();

} // namespace talsk::test
