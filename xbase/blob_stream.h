#pragma once

#include <cstdint>
#include <string>

#include "platform/db/data_set_types.h"
#include "platform/db/field_kinds.h"
#include "platform/db/stream.h"

namespace xbase {

class TTable;

// The content of one memo, binary or OLE field of one record buffer, read and written
// through the layer's blob answers. A whole read of the active record is kept in the
// record buffer's blob cache, so the next stream on it reads without the layer.
class TBlobStream : public db::TStream {
  public:
    // "Cannot access field '%s' in a filter"; for writing "Field '%s' cannot be modified"
    // and "Dataset not in edit or insert mode". A state without a record buffer gives a
    // stream that reads and writes nothing.
    TBlobStream(db::TBlobField& field, db::TBlobStreamMode mode);
    ~TBlobStream() override;
    TBlobStream(const TBlobStream&) = delete;
    TBlobStream& operator=(const TBlobStream&) = delete;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, db::TSeekOrigin origin) override;
    void SetSize(std::int64_t size) override;
    // Cuts the content at the position.
    void Truncate();

  private:
    std::int64_t BlobSize();
    void EmptyCache();

    db::TBlobField& field_;
    TTable& table_;
    char* buffer_ = nullptr;
    uint16_t fieldNo_ = 0;
    bool opened_ = false;
    bool modified_ = false;
    std::int64_t position_ = 0;
    db::TBlobStreamMode mode_;
    bool cached_ = false;   // served from the record buffer's cache
    bool filling_ = false;  // reads from 0 onwards go into fill_
    std::string fill_;
    std::int64_t fillSize_ = -1;
};

}  // namespace xbase
