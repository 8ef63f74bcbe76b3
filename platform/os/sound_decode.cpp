#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>

#include "platform/os/sound_player.h"

namespace os {
namespace {

// A sound longer than this is refused rather than held in memory (about ten minutes of stereo).
constexpr std::int64_t kMaxSamples = 48'000LL * 2 * 600;

SoundClipPtr ReadAll(SNDFILE* file, const SF_INFO& info, std::string name, bool memory,
                     std::string& error) {
    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1 ||
        info.samplerate > 384'000) {
        error = "unsupported channels or rate";
        return nullptr;
    }
    auto clip = std::make_shared<SoundClip>();
    clip->name = std::move(name);
    clip->memory = memory;
    clip->rate = info.samplerate;
    clip->channels = info.channels;
    // Read until the decoder runs dry: a data length past the end plays what is there.
    constexpr sf_count_t kBlock = 4096;
    std::vector<std::int16_t> block(static_cast<std::size_t>(kBlock * info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_short(file, block.data(), kBlock);
        if (got <= 0) {
            break;
        }
        clip->samples.insert(clip->samples.end(), block.begin(),
                             block.begin() + static_cast<std::ptrdiff_t>(got * info.channels));
        if (static_cast<std::int64_t>(clip->samples.size()) > kMaxSamples) {
            error = "sound too long";
            return nullptr;
        }
    }
    return clip;
}

struct MemoryView {
    std::span<const std::uint8_t> data;
    sf_count_t position = 0;
};

sf_count_t MemoryLength(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryView*>(user)->data.size());
}

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
    auto* view = static_cast<MemoryView*>(user);
    const auto size = static_cast<sf_count_t>(view->data.size());
    sf_count_t target = offset;
    if (whence == SEEK_CUR) {
        target += view->position;
    } else if (whence == SEEK_END) {
        target += size;
    }
    if (target < 0 || target > size) {
        return -1;
    }
    view->position = target;
    return target;
}

sf_count_t MemoryRead(void* dest, sf_count_t count, void* user) {
    auto* view = static_cast<MemoryView*>(user);
    const auto size = static_cast<sf_count_t>(view->data.size());
    const sf_count_t n = std::max<sf_count_t>(0, std::min(count, size - view->position));
    if (n > 0) {
        std::memcpy(dest, view->data.data() + view->position, static_cast<std::size_t>(n));
    }
    view->position += n;
    return n;
}

sf_count_t MemoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t MemoryTell(void* user) {
    return static_cast<MemoryView*>(user)->position;
}

}  // namespace

SoundClipPtr DecodeSoundFile(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = "not a file";
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
    if (file == nullptr) {
        error = sf_strerror(nullptr);
        return nullptr;
    }
    auto clip = ReadAll(file, info, path, false, error);
    sf_close(file);
    return clip;
}

SoundClipPtr DecodeSoundImage(std::span<const std::uint8_t> image, std::string label,
                              std::string& error) {
    MemoryView view{image};
    SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &view);
    if (file == nullptr) {
        error = sf_strerror(nullptr);
        return nullptr;
    }
    auto clip = ReadAll(file, info, std::move(label), true, error);
    sf_close(file);
    return clip;
}

}  // namespace os
