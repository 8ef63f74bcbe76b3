#include "platform/os/sound_log_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os/sound_clock.h"

namespace os {
namespace {

std::string Flat(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

class PacedStream : public SoundStream {
  public:
    explicit PacedStream(int rate) : rate_(rate) {}

    bool Write(std::span<const std::int16_t>, std::int64_t frames, std::stop_token stop) override {
        played_ += frames;
        clock_.WaitUntil(SoundClock::Duration(played_ * 1'000'000 / rate_), stop);
        return true;
    }
    void Close(SoundEnd) override {}

  private:
    SteadySoundClock clock_;
    int rate_;
    std::int64_t played_ = 0;
};

}  // namespace

SoundLogOutput::SoundLogOutput(std::string path) : path_(std::move(path)) {}

std::string SoundLogOutput::Line(const SoundInfo& info) {
    return std::string(SoundChannelName(info.channel)) + "\t" + Flat(info.name) + "\t" +
           std::to_string(info.flags) + "\t" + std::to_string(info.frames) + "\t" +
           Flat(info.voice) + "\t" + Flat(info.text) + "\n";
}

std::unique_ptr<SoundStream> SoundLogOutput::Open(const SoundInfo& info, std::string& error) {
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = path_ + ": " + std::strerror(errno);
        return nullptr;
    }
    // One write per line, so that lines of several programs never interleave.
    const std::string line = Line(info);
    const bool whole = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    ::close(fd);
    if (!whole) {
        error = path_ + ": write failed";
        return nullptr;
    }
    return std::make_unique<PacedStream>(info.rate > 0 ? info.rate : 1);
}

}  // namespace os
