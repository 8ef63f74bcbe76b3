#include "capi/capi_receive_thread.h"

#include <atomic>

#include "capi/capi_dll.h"

namespace capi {

namespace {

std::atomic<int> running{0};

// A failing wait (for instance after the application was released underneath) must not spin.
constexpr std::chrono::milliseconds kRetryPause{20};

}  // namespace

void TCapiInbox::SetAnnounce(Announce announce) {
    std::lock_guard lock(mutex_);
    announce_ = std::move(announce);
}

bool TCapiInbox::Fetch(std::uint32_t applId, GetMessageFn* get) {
    std::lock_guard lock(mutex_);
    if (closed_ || get == nullptr) {
        return false;
    }
    void* message = nullptr;
    if (get(applId, &message) != 0 || message == nullptr) {
        return false;
    }
    // The library's bytes are valid only until its next fetch: copy them now.
    const auto* bytes = static_cast<const std::uint8_t*>(message);
    const std::size_t length = static_cast<std::size_t>(bytes[0] | bytes[1] << 8);
    AppendLocked(std::vector<std::uint8_t>(bytes, bytes + length));
    return true;
}

void TCapiInbox::AppendLocked(std::vector<std::uint8_t> raw) {
    waiting_.push_back(std::move(raw));
    if (announce_) {
        announce_();
    }
}

bool TCapiInbox::Append(std::vector<std::uint8_t> raw) {
    std::lock_guard lock(mutex_);
    if (closed_) {
        return false;
    }
    AppendLocked(std::move(raw));
    return true;
}

std::optional<std::vector<std::uint8_t>> TCapiInbox::BeginHandling() {
    std::lock_guard lock(mutex_);
    if (handling_ || waiting_.empty()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> next = std::move(waiting_.front());
    waiting_.pop_front();
    handling_ = true;
    return next;
}

void TCapiInbox::EndHandling() {
    std::lock_guard lock(mutex_);
    handling_ = false;
}

bool TCapiInbox::Busy() const {
    std::lock_guard lock(mutex_);
    return handling_ || !waiting_.empty();
}

void TCapiInbox::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
}

bool TCapiInbox::CloseIfIdle() {
    std::lock_guard lock(mutex_);
    if (handling_ || !waiting_.empty()) {
        return false;
    }
    closed_ = true;
    return true;
}

bool TCapiInbox::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

std::size_t TCapiInbox::Discard() {
    std::lock_guard lock(mutex_);
    const std::size_t n = waiting_.size();
    waiting_.clear();
    return n;
}

TCapiCallBack::TCapiCallBack(std::uint32_t applId, std::shared_ptr<TCapiInbox> inbox)
    : end_(std::make_shared<EndState>()) {
    ++running;
    thread_ = std::thread(&TCapiCallBack::Run, applId, std::move(inbox), end_);
}

TCapiCallBack::~TCapiCallBack() {
    if (!thread_.joinable()) {
        return;
    }
    if (Ended()) {
        thread_.join();
    } else {
        // It holds only its own copies; whenever the library lets it go, it ends by itself.
        thread_.detach();
    }
}

bool TCapiCallBack::WaitForEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(end_->mutex);
    return end_->ended.wait_for(lock, timeout, [this] { return end_->done; });
}

bool TCapiCallBack::Ended() const {
    std::lock_guard lock(end_->mutex);
    return end_->done;
}

int TCapiCallBack::Running() {
    return running.load();
}

void TCapiCallBack::Run(std::uint32_t applId, std::shared_ptr<TCapiInbox> inbox,
                        std::shared_ptr<EndState> end) {
    while (!inbox->Closed()) {
        const std::uint32_t result = CAPI_WAIT_FOR_SIGNAL(applId);
        if (inbox->Closed()) {
            break;
        }
        if (result != 0) {
            std::this_thread::sleep_for(kRetryPause);
            continue;
        }
        inbox->Fetch(applId, &CAPI_GET_MESSAGE);
    }
    inbox.reset();
    --running;
    std::lock_guard lock(end->mutex);
    end->done = true;
    end->ended.notify_all();
}

}  // namespace capi
