#include "monitor/sound_recording.h"

#include <system_error>

namespace monitor {
namespace {

namespace fs = std::filesystem;

bool Leeg(const std::string& path) {
    std::error_code ec;
    return !fs::is_regular_file(path, ec) || fs::file_size(path, ec) == 0 || ec;
}

std::optional<fs::file_time_type> Stempel(const std::string& path) {
    std::error_code ec;
    const auto t = fs::last_write_time(path, ec);
    return ec ? std::nullopt : std::optional(t);
}

}  // namespace

SoundRecording::~SoundRecording() {
    Kill();
}

bool SoundRecording::Start(std::unique_ptr<os::SoundRecorder> recorder, const std::string& path) {
    const auto before = Stempel(path);
    int error = 0;
    if (!recorder || !recorder->Start(path, error)) {
        return false;
    }
    recorder_ = std::move(recorder);
    path_ = path;
    before_ = before;
    return true;
}

void SoundRecording::Stop() {
    if (recorder_) {
        recorder_->RequestStop();
    }
}

bool SoundRecording::Ended() {
    return !recorder_ || recorder_->Ended();
}

void SoundRecording::Kill() {
    if (recorder_) {
        recorder_->Kill();
    }
}

bool SoundRecording::Finish() {
    Kill();
    recorder_.reset();
    return !Leeg(path_) && Stempel(path_) != before_;
}

}  // namespace monitor
