#include "platform/xbase32/memo_file.h"

#include <fcntl.h>

#include <algorithm>

#include "platform/xbase32/error.h"

namespace xb {

namespace {

uint32_t Be32(const unsigned char* b) {
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
           static_cast<uint32_t>(b[2]) << 8 | static_cast<uint32_t>(b[3]);
}

void PutBe32(char* b, uint32_t v) {
    b[0] = static_cast<char>(v >> 24);
    b[1] = static_cast<char>(v >> 16);
    b[2] = static_cast<char>(v >> 8);
    b[3] = static_cast<char>(v);
}

uint32_t FirstDataBlock(int blockSize) {
    return static_cast<uint32_t>((MemoFile::kHeaderSize + blockSize - 1) / blockSize);
}

std::string EncodeHeader(uint32_t nextFree, int blockSize) {
    std::string h(MemoFile::kHeaderSize, '\0');
    PutBe32(h.data(), nextFree);
    h[6] = static_cast<char>((blockSize >> 8) & 0xFF);
    h[7] = static_cast<char>(blockSize & 0xFF);
    return h;
}

int ValidBlockSize(int blockSize) {
    if (blockSize < 1 || blockSize > 0xFFFF) {
        throw Error("memo block size must lie between 1 and 65535");
    }
    return blockSize;
}

}  // namespace

std::string MemoFile::EmptyImage(int blockSize) {
    return EncodeHeader(FirstDataBlock(ValidBlockSize(blockSize)), blockSize);
}

void MemoFile::Create(const std::string& path, int blockSize) {
    File f = File::Open(path, O_RDWR | O_CREAT | O_TRUNC);
    const std::string h = EmptyImage(blockSize);
    f.WriteAt(0, h.data(), h.size());
}

bool MemoFile::Holds(std::string_view bytes) const {
    if (file_.Size() != bytes.size()) {
        return false;
    }
    std::string have(bytes.size(), '\0');
    return file_.ReadSome(0, have.data(), have.size()) == have.size() && have == bytes;
}

MemoFile MemoFile::Open(const std::string& path, bool writable) {
    MemoFile m;
    m.file_ = File::Open(path, writable ? O_RDWR : O_RDONLY);
    unsigned char h[8];
    if (m.file_.ReadSome(0, h, sizeof h) != sizeof h) {
        throw Error("damaged memo file " + path + ": header is truncated");
    }
    m.blockSize_ = h[6] << 8 | h[7];
    if (m.blockSize_ == 0) {
        throw Error("damaged memo file " + path + ": block size 0");
    }
    return m;
}

bool MemoFile::Reaches(uint64_t end) const {
    if (end <= seenSize_) {
        return true;
    }
    seenSize_ = file_.Size();
    return end <= seenSize_;
}

uint64_t MemoFile::CheckedStart(uint32_t block, uint32_t* length) const {
    const uint64_t start = static_cast<uint64_t>(block) * static_cast<uint64_t>(blockSize_);
    if (start < kHeaderSize || !Reaches(start + 8)) {
        throw Error("damaged memo file " + Path() + ": block " + std::to_string(block) +
                    " lies outside the file");
    }
    unsigned char h[8];
    file_.ReadExact(start, h, sizeof h);
    *length = Be32(h + 4);
    if (!Reaches(start + 8 + *length)) {
        throw Error("damaged memo file " + Path() + ": memo at block " + std::to_string(block) +
                    " runs past the end");
    }
    return start + 8;
}

uint32_t MemoFile::Length(uint32_t block) const {
    if (block == 0) {
        return 0;
    }
    uint32_t length = 0;
    CheckedStart(block, &length);
    return length;
}

std::string MemoFile::Read(uint32_t block) const {
    if (block == 0) {
        return {};
    }
    uint32_t length = 0;
    if (std::optional<std::string> data = ReadShort(block, &length)) {
        return std::move(*data);
    }
    std::string data(length, '\0');
    file_.ReadExact(static_cast<uint64_t>(block) * static_cast<uint64_t>(blockSize_) + 8,
                    data.data(), length);
    return data;
}

std::optional<std::string> MemoFile::ReadShort(uint32_t block, uint32_t* length) const {
    *length = 0;
    if (block == 0) {
        return std::string();
    }
    const uint64_t start = static_cast<uint64_t>(block) * static_cast<uint64_t>(blockSize_);
    if (start < kHeaderSize || !Reaches(start + 8)) {
        throw Error("damaged memo file " + Path() + ": block " + std::to_string(block) +
                    " lies outside the file");
    }
    // One read takes the block's header and, for a short memo, its data too.
    constexpr uint64_t kFirstRead = 512;
    std::string data(static_cast<std::size_t>(std::min(kFirstRead, seenSize_ - start)), '\0');
    file_.ReadExact(start, data.data(), data.size());
    *length = Be32(reinterpret_cast<const unsigned char*>(data.data()) + 4);
    if (!Reaches(start + 8 + *length)) {
        throw Error("damaged memo file " + Path() + ": memo at block " + std::to_string(block) +
                    " runs past the end");
    }
    if (*length > data.size() - 8) {
        return std::nullopt;
    }
    data.erase(0, 8);
    data.resize(*length);
    return data;
}

uint32_t MemoFile::Write(std::string_view data) {
    if (data.size() > 0xFFFFFFFFull - 8) {
        throw Error("memo too long");
    }
    unsigned char h[8];
    file_.ReadExact(0, h, sizeof h);
    const uint64_t bs = static_cast<uint64_t>(blockSize_);
    // Never trust a next-free pointer that lies inside data another writer left.
    uint64_t next = std::max<uint64_t>(Be32(h), FirstDataBlock(blockSize_));
    const uint64_t size = file_.Size();
    next = std::max<uint64_t>(next, (size + bs - 1) / bs);
    const uint64_t blocks = (8 + data.size() + bs - 1) / bs;
    if (next + blocks > 0xFFFFFFFFull) {
        throw Error("memo file " + Path() + " is full");
    }
    std::string out(blocks * bs, '\0');
    PutBe32(out.data(), kTypeText);
    PutBe32(out.data() + 4, static_cast<uint32_t>(data.size()));
    std::copy(data.begin(), data.end(), out.begin() + 8);
    char nh[4];
    PutBe32(nh, static_cast<uint32_t>(next + blocks));
    try {
        file_.WriteAt(next * bs, out.data(), out.size());
        file_.WriteAt(0, nh, sizeof nh);
    } catch (...) {
        // A failed write leaves the file as it was: its size and its next free block.
        try {
            file_.Truncate(size);
            file_.WriteAt(0, h, 4);
        } catch (const std::exception&) {
        }
        throw;
    }
    seenSize_ = std::max<uint64_t>(seenSize_, (next + blocks) * bs);
    return static_cast<uint32_t>(next);
}

void MemoFile::Reset(int blockSize) {
    blockSize_ = ValidBlockSize(blockSize);
    std::string h = EncodeHeader(FirstDataBlock(blockSize_), blockSize_);
    file_.Truncate(0);
    seenSize_ = 0;
    file_.WriteAt(0, h.data(), h.size());
}

}  // namespace xb
