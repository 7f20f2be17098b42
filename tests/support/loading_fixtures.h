#pragma once
// Base files on disk for the tests of connecting and loading.

#include <cstdint>
#include <string>

namespace talsk::test {

// Writes a version 2.0 base file with the given record counts; a non-empty
// typed key protects it with the file key derived from that text.
void writeBaseFile(const std::string& path, int population, int organizations, int cityCodes,
                   const std::string& typedKey = {}, uint64_t seed = 1);
// Overwrites the version word of a file (2.0b, 1.2 ... for old-version cases).
void setVersionWord(const std::string& path, uint16_t version);

} // namespace talsk::test
