#include "platform/xbase32/key_index_file.h"

#include <zlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/xbase32/parallel.h"

namespace xb {

namespace {

constexpr char kMagic[8] = {'B', 'V', 'K', 'E', 'Y', 'I', 'D', 'X'};
constexpr uint32_t kVersion = 1;
constexpr uint32_t kFlagDescending = 1;
constexpr uint32_t kFlagTableStamp = 2;
constexpr uint32_t kMaxKeyLength = 4096;
constexpr uint32_t kMaxTextLength = 65536;

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

void PutU64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

bool IsKeyType(char t) {
    return t == 'C' || t == 'N' || t == 'D' || t == 'L';
}

// A save writes path + kTempMark + "<pid>-<n>" and renames it over path.
constexpr char kTempMark[] = ".tmp";

// The process that wrote a save's new file of an index (*.idx), from the file's name.
std::optional<pid_t> SaverOf(std::string_view name) {
    const auto mark = name.rfind(kTempMark);
    if (mark == std::string_view::npos || mark < 4 ||
        ::strncasecmp(name.data() + mark - 4, ".idx", 4) != 0) {
        return std::nullopt;
    }
    const std::string_view tail = name.substr(mark + sizeof kTempMark - 1);
    const auto dash = tail.find('-');
    const auto digits = [](std::string_view t) {
        return !t.empty() && t.size() <= 9 &&
               std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string_view::npos || !digits(tail.substr(0, dash)) ||
        !digits(tail.substr(dash + 1))) {
        return std::nullopt;
    }
    const pid_t pid = static_cast<pid_t>(std::stol(std::string(tail.substr(0, dash))));
    return pid > 0 ? std::optional<pid_t>(pid) : std::nullopt;
}

// An open-file-description lock over the whole file; false when another open holds one.
bool LockWhole(int fd, short type) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    while (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " \"" + path + "\": " + std::strerror(errno);
}

class Reader {
  public:
    Reader(std::string_view data, const std::string& path) : data_(data), path_(path) {}

    std::string_view Take(std::size_t n) {
        if (n > data_.size() - at_) {
            Refuse("it ends too early");
        }
        const std::string_view part = data_.substr(at_, n);
        at_ += n;
        return part;
    }
    uint32_t U32() { return static_cast<uint32_t>(Number(4)); }
    uint64_t U64() { return Number(8); }
    uint32_t U16() { return static_cast<uint32_t>(Number(2)); }
    std::size_t Left() const { return data_.size() - at_; }

    [[noreturn]] void Refuse(const std::string& why) const {
        throw IndexFileError("Index file \"" + path_ + "\" refused: " + why);
    }

  private:
    uint64_t Number(std::size_t bytes) {
        const std::string_view b = Take(bytes);
        uint64_t v = 0;
        for (std::size_t i = bytes; i-- > 0;) {
            v = (v << 8) | static_cast<unsigned char>(b[i]);
        }
        return v;
    }

    std::string_view data_;
    std::size_t at_ = 0;
    const std::string& path_;
};

std::string ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw IndexFileError(SystemError("Cannot open index file", path));
    }
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const std::string message = SystemError("Cannot read index file", path);
            ::close(fd);
            throw IndexFileError(message);
        }
        if (n == 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

}  // namespace

uint32_t Crc32(const void* data, std::size_t size, uint32_t crc) {
    const auto* p = static_cast<const Bytef*>(data);
    // Index files run to tens of megabytes: pieces on a few threads, joined by the CRC's algebra.
    constexpr std::size_t kPiece = 4u << 20;
    if (size < 2 * kPiece) {
        return static_cast<uint32_t>(crc32_z(crc, p, size));
    }
    const std::size_t pieces = (size + kPiece - 1) / kPiece;
    std::vector<uLong> crcs(pieces);
    ParallelFor(pieces, [&](std::size_t i) {
        const std::size_t at = i * kPiece;
        crcs[i] = crc32_z(0, p + at, std::min(kPiece, size - at));
    });
    uLong whole = crc;
    for (std::size_t i = 0; i < pieces; ++i) {
        const std::size_t length = std::min(kPiece, size - i * kPiece);
        whole = crc32_combine(whole, crcs[i], static_cast<z_off_t>(length));
    }
    return static_cast<uint32_t>(whole);
}

void SaveKeyIndexFile(const std::string& path, const IndexFileInfo& info, const KeyIndex& index) {
    if (!IsKeyType(info.keyType) || index.KeyLength() > kMaxKeyLength ||
        info.keyExpression.size() > kMaxTextLength || info.condition.size() > kMaxTextLength) {
        throw IndexFileError("Index file \"" + path + "\" not written: unsupported index");
    }
    const std::size_t keyLength = index.KeyLength();
    const bool trimBlanks = info.keyType == 'C';
    std::string out;
    out.reserve(64 + info.keyExpression.size() + info.condition.size() + index.StoredKeyBytes() +
                index.Size() * (trimBlanks ? 2 + 4 : keyLength + 4) + 4);
    out.append(kMagic, sizeof kMagic);
    PutU32(out, kVersion);
    PutU32(out, (info.descending ? kFlagDescending : 0) | (info.tableStamp ? kFlagTableStamp : 0));
    out.push_back(info.keyType);
    out.append(3, '\0');
    PutU32(out, static_cast<uint32_t>(keyLength));
    PutU32(out, info.recordCount);
    PutU32(out, static_cast<uint32_t>(info.keyExpression.size()));
    out += info.keyExpression;
    PutU32(out, static_cast<uint32_t>(info.condition.size()));
    out += info.condition;
    if (info.tableStamp) {
        PutU32(out, *info.tableStamp);
    }
    PutU64(out, index.Size());
    // The entries' size is known beforehand: they are written in place.
    const std::size_t entriesAt = out.size();
    out.resize(entriesAt + (trimBlanks ? index.StoredKeyBytes() + index.Size() * (2 + 4)
                                       : index.Size() * (keyLength + 4)));
    char* at = out.data() + entriesAt;
    index.ForEachEntry([&](std::string_view key, uint32_t recno) {
        // The index holds keys without their trailing blanks; text keys are stored so.
        if (trimBlanks) {
            at[0] = static_cast<char>(key.size() & 0xFF);
            at[1] = static_cast<char>(key.size() >> 8);
            at += 2;
            std::memcpy(at, key.data(), key.size());
            at += key.size();
        } else {
            std::memcpy(at, key.data(), key.size());
            std::memset(at + key.size(), ' ', keyLength - key.size());
            at += keyLength;
        }
        for (int i = 0; i < 4; ++i) {
            *at++ = static_cast<char>((recno >> (8 * i)) & 0xFF);
        }
    });
    if (at != out.data() + out.size()) {
        throw IndexFileError("Index file \"" + path + "\" not written: entries changed size");
    }
    PutU32(out, Crc32(out.data(), out.size()));

    static std::atomic<unsigned> counter{0};
    const std::string temp =
        path + kTempMark + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw IndexFileError(SystemError("Cannot write index file", temp));
    }
    // Held until the rename: a cleaner never takes a file that is still being written.
    (void)LockWhole(fd, F_WRLCK);
    auto fail = [&](const std::string& name) {
        const std::string message = SystemError("Cannot write index file", name);
        ::close(fd);
        ::unlink(temp.c_str());
        throw IndexFileError(message);
    };
    std::size_t written = 0;
    while (written < out.size()) {
        const ssize_t n = ::write(fd, out.data() + written, out.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            fail(temp);
        }
        written += static_cast<std::size_t>(n);
    }
    // On the disk before its name is: after a crash the name shows the old file or the new one.
    if (::fdatasync(fd) != 0) {
        fail(temp);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        fail(path);
    }
    ::close(fd);
}

void RemoveStoppedSaves(const std::string& dir) {
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        return;
    }
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        const std::optional<pid_t> pid = SaverOf(name);
        if (!pid || ::kill(*pid, 0) == 0 || errno != ESRCH) {
            continue;  // not such a file, or its process still runs
        }
        const std::string path = dir + "/" + std::string(name);
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            continue;
        }
        char head[sizeof kMagic];
        const ssize_t n = ::pread(fd, head, sizeof head, 0);
        const bool ours = n >= 0 && std::memcmp(head, kMagic, static_cast<std::size_t>(n)) == 0;
        // A writer on another machine that shares the folder still holds its lock.
        if (ours && LockWhole(fd, F_WRLCK)) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(d);
}

LoadedKeyIndex LoadKeyIndexFile(const std::string& path) {
    const std::string data = ReadWholeFile(path);
    Reader in(data, path);
    if (data.size() < sizeof kMagic || std::memcmp(data.data(), kMagic, sizeof kMagic) != 0) {
        in.Refuse("not an index file of this engine");
    }
    if (data.size() < sizeof kMagic + 8 + 4) {
        in.Refuse("it ends too early");
    }
    const std::string_view body(data.data(), data.size() - 4);
    Reader tail(std::string_view(data).substr(body.size()), path);
    if (tail.U32() != Crc32(body.data(), body.size())) {
        in.Refuse("checksum mismatch");
    }
    Reader r(body, path);
    r.Take(sizeof kMagic);
    if (const uint32_t version = r.U32(); version != kVersion) {
        r.Refuse("version " + std::to_string(version) + " is not supported");
    }
    const uint32_t flags = r.U32();
    if ((flags & ~(kFlagDescending | kFlagTableStamp)) != 0) {
        r.Refuse("unknown flags");
    }
    IndexFileInfo info;
    info.descending = (flags & kFlagDescending) != 0;
    const std::string_view typeBytes = r.Take(4);
    info.keyType = typeBytes[0];
    if (!IsKeyType(info.keyType) || typeBytes.substr(1) != std::string_view("\0\0\0", 3)) {
        r.Refuse("unknown key type");
    }
    const uint32_t keyLength = r.U32();
    const uint32_t fixedLength = info.keyType == 'L' ? 1 : 8;
    if (keyLength == 0 || keyLength > kMaxKeyLength ||
        (info.keyType != 'C' && keyLength != fixedLength)) {
        r.Refuse("bad key length " + std::to_string(keyLength));
    }
    info.recordCount = r.U32();
    const uint32_t expressionLength = r.U32();
    if (expressionLength == 0 || expressionLength > kMaxTextLength) {
        r.Refuse("bad key expression");
    }
    info.keyExpression = std::string(r.Take(expressionLength));
    const uint32_t conditionLength = r.U32();
    if (conditionLength > kMaxTextLength) {
        r.Refuse("bad condition");
    }
    info.condition = std::string(r.Take(conditionLength));
    if ((flags & kFlagTableStamp) != 0) {
        info.tableStamp = r.U32();
    }
    const uint64_t count = r.U64();
    const bool trimmed = info.keyType == 'C';
    const std::size_t smallestEntry = trimmed ? 2 + 4 : keyLength + 4;
    if (count > r.Left() / smallestEntry || count > info.recordCount) {
        r.Refuse("entry count does not fit");
    }
    LoadedKeyIndex loaded{info, KeyIndex(keyLength, info.descending)};
    bool ordered = true;
    for (uint64_t i = 0; i < count; ++i) {
        std::size_t stored = keyLength;
        if (trimmed) {
            stored = r.U16();
            if (stored > keyLength) {
                r.Refuse("key longer than the key length");
            }
        }
        const std::string_view key = r.Take(stored);
        const uint32_t recno = r.U32();
        if (recno == 0 || recno > info.recordCount) {
            r.Refuse("record number " + std::to_string(recno) + " out of range");
        }
        ordered = ordered && loaded.index.AppendSorted(key, recno);
    }
    if (r.Left() != 0) {
        r.Refuse("bytes after the last entry");
    }
    if (!ordered) {
        loaded.index.Clear();
        r.Refuse("entries out of order");
    }
    return loaded;
}

}  // namespace xb
