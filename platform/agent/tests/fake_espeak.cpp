// Stands in for espeak-ng in tests: records its arguments and its standard input, then acts as
// FAKE_ESPEAK_MODE says: wav (a short streamed wave), fail, hang, big, empty.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

void PutLe32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        s += static_cast<char>((v >> (8 * i)) & 0xff);
    }
}

void PutLe16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xff);
    s += static_cast<char>(v >> 8);
}

// The header a program writing to a pipe gives: lengths it cannot know yet.
std::string StreamedWav(std::size_t frames) {
    std::string w = "RIFF";
    PutLe32(w, 0x7ffff024u);
    w += "WAVEfmt ";
    PutLe32(w, 16);
    PutLe16(w, 1);
    PutLe16(w, 1);
    PutLe32(w, 22050);
    PutLe32(w, 44100);
    PutLe16(w, 2);
    PutLe16(w, 16);
    w += "data";
    PutLe32(w, 0x7ffff000u);
    for (std::size_t i = 0; i < frames; ++i) {
        PutLe16(w, static_cast<std::uint16_t>((i % 50) * 200));
    }
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    const char* log = std::getenv("FAKE_ESPEAK_LOG");
    const std::string mode =
        std::getenv("FAKE_ESPEAK_MODE") ? std::getenv("FAKE_ESPEAK_MODE") : "wav";
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (log) {
        std::ofstream args(std::string(log) + ".args", std::ios::binary);
        for (int i = 1; i < argc; ++i) {
            args << argv[i] << '\n';
        }
        std::ofstream(std::string(log) + ".input", std::ios::binary) << input;
        std::ofstream(std::string(log) + ".pid") << getpid();
    }
    if (mode == "fail") {
        return 3;
    }
    if (mode == "hang") {
        for (;;) {
            pause();
        }
    }
    if (mode == "empty") {
        return 0;
    }
    const std::string wav = StreamedWav(mode == "big" ? 1 << 20 : 2205);
    std::cout.write(wav.data(), static_cast<std::streamsize>(wav.size()));
    return 0;
}
