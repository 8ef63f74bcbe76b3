#include "platform/os/recording_sound_output.h"

namespace os {

class RecordingSoundOutput::Stream : public SoundStream {
  public:
    Stream(RecordingSoundOutput& owner, std::size_t index, int rate)
        : owner_(owner), index_(index), rate_(rate), start_(owner.clock_->Now()) {}

    bool Write(std::span<const std::int16_t>, std::int64_t frames, std::stop_token stop) override {
        const std::int64_t until = played_ + frames;
        const auto due = start_ + SoundClock::Duration(until * 1'000'000 / rate_);
        if (!owner_.clock_->WaitUntil(due, stop)) {
            return true;
        }
        played_ = until;
        owner_.Played(index_, frames);
        return true;
    }

    void Close(SoundEnd how) override { owner_.Ended(index_, how); }

  private:
    RecordingSoundOutput& owner_;
    std::size_t index_;
    int rate_;
    SoundClock::Duration start_;
    std::int64_t played_ = 0;
};

RecordingSoundOutput::RecordingSoundOutput(std::shared_ptr<SoundClock> clock)
    : clock_(std::move(clock)) {}

std::unique_ptr<SoundStream> RecordingSoundOutput::Open(const SoundInfo& info, std::string& error) {
    std::lock_guard lock(mutex_);
    if (refuse_) {
        error = "no output device";
        return nullptr;
    }
    records_.push_back(SoundRecord{info, 0, std::nullopt});
    changed_.notify_all();
    return std::make_unique<Stream>(*this, records_.size() - 1, info.rate > 0 ? info.rate : 1);
}

std::vector<SoundRecord> RecordingSoundOutput::Records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

bool RecordingSoundOutput::WaitForEnded(std::size_t count,
                                        std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        std::size_t ended = 0;
        for (const auto& r : records_) {
            ended += r.end.has_value() ? 1 : 0;
        }
        return ended >= count;
    });
}

bool RecordingSoundOutput::WaitForOpened(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return records_.size() >= count; });
}

void RecordingSoundOutput::SetRefuseOpen(bool refuse) {
    std::lock_guard lock(mutex_);
    refuse_ = refuse;
}

void RecordingSoundOutput::Played(std::size_t index, std::int64_t frames) {
    std::lock_guard lock(mutex_);
    records_[index].frames_played += frames;
    changed_.notify_all();
}

void RecordingSoundOutput::Ended(std::size_t index, SoundEnd end) {
    std::lock_guard lock(mutex_);
    records_[index].end = end;
    changed_.notify_all();
}

}  // namespace os
