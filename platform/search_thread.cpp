#include "platform/search_thread.h"

#include <system_error>

namespace talsk {

SearchThread::~SearchThread() {
    if (!thread_.joinable()) return;
    if (active() && stopFlag_) stopFlag_->store(1);
    thread_.join();
}

bool SearchThread::start(std::function<void()> body, std::atomic<uint8_t>* stopFlag) {
    if (thread_.joinable()) return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = true;
    }
    stopFlag_ = stopFlag;
    try {
        thread_ = std::thread([this, body = std::move(body)] {
            body();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                running_ = false;
            }
            ended_.notify_all();
        });
    } catch (const std::system_error&) {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        return false;
    }
    return true;
}

bool SearchThread::active() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

bool SearchThread::waitFor(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return ended_.wait_for(lock, limit, [this] { return !running_; });
}

void SearchThread::release() {
    if (thread_.joinable()) thread_.join();
}

} // namespace talsk
