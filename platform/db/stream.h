#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/exception.h"

namespace db {

class EStreamError : public rtl::Exception {
  public:
    using rtl::Exception::Exception;
};
class EFCreateError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

enum TSeekOrigin { soFromBeginning, soFromCurrent, soFromEnd };

class TStream {
  public:
    virtual ~TStream() = default;

    // Return the bytes moved; fewer than asked at the end of the stream.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(std::int64_t position) { Seek(position, soFromBeginning); }
    virtual std::int64_t Size();
    virtual void SetSize(std::int64_t size);

    // All or an error: "Stream read error" / "Stream write error".
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);
    // Count 0 copies the whole source from its beginning.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);

    // The rest of the stream from the position, and a whole text written at the position.
    std::string ReadAll();
    void WriteString(const std::string& bytes) {
        WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    }
};

class TMemoryStream : public TStream {
  public:
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
    void SetSize(std::int64_t size) override;

    const char* Memory() const { return data_.data(); }
    const std::string& Bytes() const { return data_; }
    void Clear();
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target);
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);

  private:
    std::string data_;
    std::int64_t position_ = 0;
};

// Open modes; the share bits of the class library are accepted and have no effect here.
enum : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFFFF,
};

class TFileStream : public TStream {
  public:
    // "Cannot create file %s" / "Cannot open file %s" when the file cannot be had.
    TFileStream(const std::string& path, unsigned mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    const std::string& FileName() const { return path_; }

  private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace db
