#pragma once
// Realistic data shared by the benchmarks: demo records of the town.

#include "base/records.h"

#include <string>
#include <vector>

namespace talsk::bench {

// A pool of `size` bytes of packed demo records (all three tables, repeated).
const std::vector<char>& demoPool(size_t size);

// A base file of demo records on disk, made once per run; its path.
// records = residents + organizations + city codes.
const std::string& demoBaseFile(int32_t records);

} // namespace talsk::bench
