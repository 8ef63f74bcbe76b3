#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace capi {

// The hand-over between the receive thread and the main thread: the fetched messages as copied
// bytes in arrival order, and whether the main thread is handling one. The receive thread never
// waits for the main thread; it only appends and announces.
class TCapiInbox {
  public:
    using Announce = std::function<void()>;
    using GetMessageFn = std::uint32_t(std::uint32_t applId, void** message);

    // Called under the inbox's lock after each appended message; empty stops announcing.
    void SetAnnounce(Announce announce);

    // Fetches one message with `get` and appends a copy of its bytes, unless the inbox is
    // closed. Checking, fetching and appending form one step, so that closing never falls
    // between a fetch and its hand-over. True when a message was appended.
    bool Fetch(std::uint32_t applId, GetMessageFn* get);
    // Appends bytes as if fetched, unless closed.
    bool Append(std::vector<std::uint8_t> raw);

    // The oldest waiting message, taken for handling; nothing while another one is being
    // handled or none waits.
    std::optional<std::vector<std::uint8_t>> BeginHandling();
    void EndHandling();

    // A message waits or is being handled.
    bool Busy() const;

    // No fetch after this; waiting messages stay.
    void Close();
    // Closes only when not busy; true when it did.
    bool CloseIfIdle();
    bool Closed() const;
    // Drops the waiting messages; returns how many there were.
    std::size_t Discard();

  private:
    void AppendLocked(std::vector<std::uint8_t> raw);

    mutable std::mutex mutex_;
    std::deque<std::vector<std::uint8_t>> waiting_;
    Announce announce_;
    bool handling_ = false;
    bool closed_ = false;
};

// The receive thread of one registration. It waits in the library, fetches each message into
// the inbox and leaves when the inbox is closed. It shares only the inbox and its own end
// state, so that a thread which does not end can be let go without touching the engine again.
class TCapiCallBack {
  public:
    TCapiCallBack(std::uint32_t applId, std::shared_ptr<TCapiInbox> inbox);
    // Joins a thread that has ended; one that still runs is let go.
    ~TCapiCallBack();
    TCapiCallBack(const TCapiCallBack&) = delete;
    TCapiCallBack& operator=(const TCapiCallBack&) = delete;

    // True once the thread body has returned.
    bool WaitForEnd(std::chrono::milliseconds timeout);
    bool Ended() const;

    // Receive threads of this process whose body has not returned yet.
    static int Running();

  private:
    struct EndState {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
    };

    static void Run(std::uint32_t applId, std::shared_ptr<TCapiInbox> inbox,
                    std::shared_ptr<EndState> end);

    std::shared_ptr<EndState> end_;
    std::thread thread_;
};

}  // namespace capi
