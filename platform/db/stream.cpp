#include "platform/db/stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace db {

std::int64_t TStream::Size() {
    const std::int64_t position = Seek(0, soFromCurrent);
    const std::int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::SetSize(std::int64_t) {
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
    if (count != 0 && Read(buffer, count) != count) {
        throw EReadError("Stream read error");
    }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
    if (count != 0 && Write(buffer, count) != count) {
        throw EWriteError("Stream write error");
    }
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const std::int64_t total = count;
    std::vector<char> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, 0xF000)) + 1);
    while (count > 0) {
        const std::int64_t n =
            std::min<std::int64_t>(count, static_cast<std::int64_t>(chunk.size()));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        count -= n;
    }
    return total;
}

std::string TStream::ReadAll() {
    std::string result;
    char chunk[4096];
    for (;;) {
        const std::int64_t n = Read(chunk, sizeof chunk);
        if (n <= 0) {
            break;
        }
        result.append(chunk, static_cast<std::size_t>(n));
    }
    return result;
}

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
    const std::int64_t size = Size();
    if (count <= 0 || position_ >= size) {
        return 0;
    }
    const std::int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
    if (count <= 0) {
        return 0;
    }
    const std::int64_t end = position_ + count;
    if (end > Size()) {
        data_.resize(static_cast<std::size_t>(end));
    }
    std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == soFromCurrent) {
        base = position_;
    } else if (origin == soFromEnd) {
        base = Size();
    }
    position_ = std::max<std::int64_t>(0, base + offset);
    return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
    data_.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, size)));
    position_ = std::min(position_, Size());
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const std::int64_t size = source.Size();
    data_.assign(static_cast<std::size_t>(size), '\0');
    position_ = 0;
    source.ReadBuffer(data_.data(), size);
}

void TMemoryStream::SaveToStream(TStream& target) {
    target.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream file(path, fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& path) {
    TFileStream file(path, fmCreate);
    SaveToStream(file);
}

TFileStream::TFileStream(const std::string& path, unsigned mode) : path_(path) {
    if (mode == fmCreate) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            throw EFCreateError("Cannot create file " + path);
        }
        return;
    }
    int flags = O_RDONLY;
    if ((mode & 3u) == fmOpenWrite) {
        flags = O_WRONLY;
    } else if ((mode & 3u) == fmOpenReadWrite) {
        flags = O_RDWR;
    }
    fd_ = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd_ < 0) {
        throw EFOpenError("Cannot open file " + path);
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    auto* bytes = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(fd_, bytes + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
    std::int64_t done = 0;
    const auto* bytes = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += n;
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    int whence = SEEK_SET;
    if (origin == soFromCurrent) {
        whence = SEEK_CUR;
    } else if (origin == soFromEnd) {
        whence = SEEK_END;
    }
    const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return result < 0 ? -1 : static_cast<std::int64_t>(result);
}

void TFileStream::SetSize(std::int64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        throw EWriteError("Stream write error");
    }
    if (Position() > size) {
        Seek(size, soFromBeginning);
    }
}

}  // namespace db
