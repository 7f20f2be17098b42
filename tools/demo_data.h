#pragma once
// Deterministic, realistic demo records of the town: residents, organizations
// and dialling codes of Russian cities.

#include "base/records.h"

#include <cstdint>

namespace talsk {

struct DemoOptions {
    int32_t residents = 20000;
    int32_t organizations = 3000;
    int32_t cityCodes = 150;
    uint32_t seed = 1;
};

// Fills the three tables of a base in memory (dates: today); no file is touched.
bool fillDemoBase(PhoneBase& base, const DemoOptions& options);

} // namespace talsk
