#include "platform/os/tests/wave_fixture.h"

#include <sndfile.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace os::testing {

void WriteWave(const std::string& path, int rate, int channels, std::int64_t frames, int format) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error("cannot write " + path + ": " + sf_strerror(nullptr));
    }
    std::vector<short> samples(static_cast<std::size_t>(frames * channels));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<short>((static_cast<int>(i) * 263) % 60000 - 30000);
    }
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
}

namespace {
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}
void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}
}  // namespace

std::vector<std::uint8_t> WaveImage(int rate, int channels, std::int64_t frames) {
    const auto data_bytes = static_cast<std::uint32_t>(frames * channels * 2);
    std::vector<std::uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 36 + data_bytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, static_cast<std::uint16_t>(channels));
    Put32(out, static_cast<std::uint32_t>(rate));
    Put32(out, static_cast<std::uint32_t>(rate * channels * 2));
    Put16(out, static_cast<std::uint16_t>(channels * 2));
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, data_bytes);
    for (std::uint32_t i = 0; i < data_bytes / 2; ++i) {
        Put16(out, static_cast<std::uint16_t>(i * 97));
    }
    return out;
}

TempFolder::TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "belverin-sound-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
}

}  // namespace os::testing
