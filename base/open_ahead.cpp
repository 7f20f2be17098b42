#include "base/open_ahead.h"

#include "base/codec.h"
#include "base/load_status.h"
#include "platform/file.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace talsk {

namespace {

// The tables of every ready base; one decode thread a file when the files
// share the two threads.
void finishAll(const std::vector<PhoneBase*>& ready, bool pairFilters) {
    // A file system double of the tests counts its calls: it sees them in order.
    const bool shared = ready.size() >= 2 && std::thread::hardware_concurrency() >= 2 &&
                        &fileSystem() == &nativeFileSystem();
    if (!shared) {
        for (PhoneBase* base : ready)
            (void)finishOpen(*base, 0, pairFilters);
        releaseChunkBuffers();
        return;
    }
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t k = next.fetch_add(1); k < ready.size(); k = next.fetch_add(1))
            (void)finishOpen(*ready[k], 1, pairFilters);
        releaseChunkBuffers();
    };
    std::thread helper;
    try {
        helper = std::thread(work);
    } catch (const std::system_error&) {
        // No thread to be had: this one loads every file.
    }
    work();
    if (helper.joinable()) helper.join();
}

} // namespace

void openAhead(BaseSet& set, size_t first, const OpenOptions& options,
               std::vector<uint8_t>& attempted) {
    attempted.resize(set.bases.size(), 0);
    std::vector<PhoneBase*> ready;
    for (size_t i = first; i < set.bases.size(); ++i) {
        PhoneBase& base = set.bases[i];
        if (base.connected) continue;
        attempted[i] = 1;
        if (beginOpen(base, nullptr, options))
            ready.push_back(&base);
        else if (base.status == StatusVersionMismatch)
            break;
    }
    finishAll(ready, options.pairFilters);
}

} // namespace talsk
