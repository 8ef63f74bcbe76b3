// Stands in for a sound recorder: writes a growing WAV file of silence to its last argument
// until SIGINT, at least one 20 ms block. "--fail" ends at once with status 1 and writes
// nothing; "--deaf" ignores SIGINT.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t stop = 0;
void OnInt(int) {
    stop = 1;
}

void Put32(std::ofstream& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}
void Put16(std::ofstream& out, std::uint16_t v) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>(v >> 8));
}

void Header(std::ofstream& out, std::uint32_t dataBytes) {
    out.seekp(0);
    out.write("RIFF", 4);
    Put32(out, 36 + dataBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, 8000);
    Put32(out, 16000);
    Put16(out, 2);
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, dataBytes);
}

}  // namespace

int main(int argc, char** argv) {
    bool deaf = false;
    for (int i = 1; i < argc - 1; ++i) {
        if (std::strcmp(argv[i], "--fail") == 0) {
            return 1;
        }
        deaf = deaf || std::strcmp(argv[i], "--deaf") == 0;
    }
    if (argc < 2) {
        return 2;
    }
    std::signal(SIGINT, deaf ? SIG_IGN : OnInt);
    std::ofstream out(argv[argc - 1], std::ios::binary | std::ios::trunc);
    if (!out) {
        return 3;
    }
    std::uint32_t data = 0;
    Header(out, 0);
    const std::string block(320, '\0');  // 20 ms
    // The first block goes out before a stop is honoured: a recorder asked to stop at once
    // still leaves a sound, as a real one does.
    do {
        out.seekp(0, std::ios::end);
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        data += static_cast<std::uint32_t>(block.size());
        out.flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (!stop);
    Header(out, data);
    return 0;
}
