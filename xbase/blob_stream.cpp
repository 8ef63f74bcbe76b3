#include "xbase/blob_stream.h"

#include <cstring>
#include <memory>

#include "platform/db/exception_handler.h"
#include "xbase/db_errors.h"
#include "xbase/table.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr int32_t kBlobReadWrite = 0;
constexpr int32_t kBlobReadOnly = 1;

TTable& TableOf(db::TBlobField& field) {
    auto* table = dynamic_cast<TTable*>(field.DataSet());
    if (table == nullptr) {
        db::DatabaseError("Field '" + field.DisplayLabel() + "' has no table");
    }
    return *table;
}

}  // namespace

TBlobStream::TBlobStream(db::TBlobField& field, db::TBlobStreamMode mode)
    : field_(field), table_(TableOf(field)), mode_(mode) {
    const db::TDataSetState state = table_.State();
    if (state == db::dsFilter) {
        db::DatabaseError("Cannot access field '" + field.DisplayLabel() + "' in a filter",
                          &table_);
    }
    buffer_ = table_.StateRecordBuffer();
    if (buffer_ == nullptr) {
        return;
    }
    fieldNo_ = static_cast<uint16_t>(field.FieldNo());
    if (!field.Modified()) {
        if (mode != db::bmRead) {
            if (field.ReadOnly()) {
                db::DatabaseError("Field '" + field.DisplayLabel() + "' cannot be modified",
                                  &table_);
            }
            if (state != db::dsEdit && state != db::dsInsert) {
                db::DatabaseError("Dataset not in edit or insert mode", &table_);
            }
            EmptyCache();
        } else if (table_.CacheBlobs() && buffer_ == table_.ActiveBuffer() &&
                   (table_.BlobCache(buffer_, field) != nullptr || field.IsNull())) {
            cached_ = true;
        }
    }
    if (!cached_) {
        Check(DbiOpenBlob(table_.Handle(), buffer_, fieldNo_,
                          mode == db::bmRead ? kBlobReadOnly : kBlobReadWrite));
        filling_ = mode == db::bmRead && field.FieldKind() == db::fkData &&
                   buffer_ == table_.ActiveBuffer() && table_.CacheBlobs();
    }
    opened_ = true;
    if (mode == db::bmWrite) {
        Truncate();
    }
}

TBlobStream::~TBlobStream() {
    if (!opened_) {
        return;
    }
    if (modified_) {
        field_.SetModified(true);
    }
    if (!field_.Modified() && !cached_) {
        DbiFreeBlob(table_.Handle(), buffer_, fieldNo_);
    }
    if (modified_) {
        try {
            db::TDataEventInfo info;
            info.field = &field_;
            table_.DataEvent(db::deFieldChange, info);
        } catch (...) {
            db::HandleException();
        }
    }
}

void TBlobStream::EmptyCache() {
    table_.SetBlobCache(buffer_, field_, nullptr);
}

std::int64_t TBlobStream::Read(void* buffer, std::int64_t count) {
    if (!opened_ || count <= 0 || position_ < 0) {
        return 0;
    }
    if (cached_) {
        const std::string* cache = table_.BlobCache(buffer_, field_);
        const std::int64_t size = cache != nullptr ? static_cast<std::int64_t>(cache->size()) : 0;
        if (position_ >= size) {
            return 0;
        }
        const std::int64_t n = std::min(count, size - position_);
        std::memcpy(buffer, cache->data() + position_, static_cast<std::size_t>(n));
        position_ += n;
        return n;
    }
    const uint32_t wanted = static_cast<uint32_t>(std::min<std::int64_t>(count, UINT32_MAX));
    uint32_t read = 0;
    const DbiResult result = DbiGetBlob(table_.Handle(), buffer_, fieldNo_,
                                        static_cast<uint32_t>(position_), wanted, buffer, &read);
    if (result == kBlobOffsetBeyondEnd) {
        read = 0;
    } else if (result != kOk && result != kBlobShortRead) {
        throw EDBEngineError(result);
    }
    read = std::min(read, wanted);
    if (filling_ && position_ == static_cast<std::int64_t>(fill_.size())) {
        fill_.append(static_cast<const char*>(buffer), read);
        // Kept once the whole content is in: the next stream reads it without the layer.
        if (fillSize_ < 0) {
            fillSize_ = BlobSize();
        }
        if (read < wanted || static_cast<std::int64_t>(fill_.size()) >= fillSize_) {
            table_.SetBlobCache(buffer_, field_, std::make_unique<std::string>(std::move(fill_)));
            fill_.clear();
            filling_ = false;
            DbiFreeBlob(table_.Handle(), buffer_, fieldNo_);
            cached_ = true;
        }
    } else {
        filling_ = false;
    }
    position_ += read;
    return read;
}

std::int64_t TBlobStream::Write(const void* buffer, std::int64_t count) {
    if (!opened_ || count <= 0) {
        return 0;
    }
    Check(DbiPutBlob(table_.Handle(), buffer_, fieldNo_, static_cast<uint32_t>(position_),
                     static_cast<uint32_t>(count), buffer));
    position_ += count;
    modified_ = true;
    filling_ = false;
    EmptyCache();
    return count;
}

std::int64_t TBlobStream::BlobSize() {
    if (cached_) {
        const std::string* cache = table_.BlobCache(buffer_, field_);
        return cache != nullptr ? static_cast<std::int64_t>(cache->size()) : 0;
    }
    uint32_t size = 0;
    Check(DbiGetBlobSize(table_.Handle(), buffer_, fieldNo_, &size));
    return size;
}

std::int64_t TBlobStream::Seek(std::int64_t offset, db::TSeekOrigin origin) {
    switch (origin) {
        case db::soFromBeginning:
            position_ = offset;
            break;
        case db::soFromCurrent:
            position_ += offset;
            break;
        case db::soFromEnd:
            position_ = (opened_ ? BlobSize() : 0) + offset;
            break;
    }
    return position_;
}

void TBlobStream::SetSize(std::int64_t size) {
    position_ = size;
    Truncate();
}

void TBlobStream::Truncate() {
    if (!opened_) {
        return;
    }
    Check(DbiTruncateBlob(table_.Handle(), buffer_, fieldNo_, static_cast<uint32_t>(position_)));
    modified_ = true;
    filling_ = false;
    EmptyCache();
}

}  // namespace xbase

namespace xbase {

std::unique_ptr<db::TStream> TTable::CreateBlobStream(db::TField& field, db::TBlobStreamMode mode) {
    auto* blob = dynamic_cast<db::TBlobField*>(&field);
    if (blob == nullptr) {
        db::DatabaseError("Field '" + field.DisplayLabel() + "' is not a blob field", this);
    }
    return std::make_unique<TBlobStream>(*blob, mode);
}

}  // namespace xbase
