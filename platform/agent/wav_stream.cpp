#include "platform/agent/wav_stream.h"

#include <cstdint>

namespace agent {
namespace {

std::uint32_t ReadLe32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

void WriteLe32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xff);
    }
}

}  // namespace

bool MendStreamedWav(std::string& wav) {
    if (wav.size() < 12 || wav.compare(0, 4, "RIFF") != 0 || wav.compare(8, 4, "WAVE") != 0 ||
        wav.size() > 0xffffffffu) {
        return false;
    }
    std::size_t at = 12;
    while (at + 8 <= wav.size()) {
        const std::uint32_t size = ReadLe32(wav, at + 4);
        if (wav.compare(at, 4, "data") == 0) {
            WriteLe32(wav, at + 4, static_cast<std::uint32_t>(wav.size() - at - 8));
            WriteLe32(wav, 4, static_cast<std::uint32_t>(wav.size() - 8));
            return true;
        }
        const std::size_t next = at + 8 + size + (size & 1u);
        if (next <= at) {
            return false;
        }
        at = next;
    }
    return false;
}

}  // namespace agent
