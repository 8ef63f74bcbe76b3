#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace os::testing {

// Writes a wave file through libsndfile: `frames` frames of a ramp, so every sample differs.
// `format` is a libsndfile subtype such as SF_FORMAT_PCM_16 or SF_FORMAT_PCM_U8.
void WriteWave(const std::string& path, int rate, int channels, std::int64_t frames, int format);

// A 16-bit PCM wave image in memory, built by hand.
std::vector<std::uint8_t> WaveImage(int rate, int channels, std::int64_t frames);

// A fresh folder under the temporary folder, removed with everything in it on destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const;

  private:
    std::string path_;
};

}  // namespace os::testing
