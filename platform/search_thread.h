#pragma once
// The handle of the background search thread: started with a body, asked to
// stop through its run's cancel flag, waited for with a limit. The handle
// stays held after the body ends until it is released, so that its state can
// still be asked for.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace talsk {

class SearchThread {
public:
    SearchThread() = default;
    // Asks a running body to stop through its flag and waits for it.
    ~SearchThread();
    SearchThread(const SearchThread&) = delete;
    SearchThread& operator=(const SearchThread&) = delete;

    // Runs body on a new thread. False when a handle is still held or no
    // thread can be created.
    [[nodiscard]] bool start(std::function<void()> body, std::atomic<uint8_t>* stopFlag);
    bool held() const { return thread_.joinable(); }
    // The body has not ended yet.
    bool active() const;
    // Waits up to limit for the body to end; true when it has (or none runs).
    bool waitFor(std::chrono::milliseconds limit);
    // Drops the handle; waits for the thread to finish if its body still runs.
    void release();

private:
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool running_ = false;
    std::atomic<uint8_t>* stopFlag_ = nullptr;
};

} // namespace talsk
