#pragma once

// Index files of our own format (see docs/index-file-format.md). Nothing outside the engine
// reads them; a damaged or foreign file is refused, never trusted.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/rtl/exception.h"
#include "platform/xbase32/key_index.h"

namespace xb {

class IndexFileError : public rtl::EInOutError {
  public:
    using EInOutError::EInOutError;
};

struct IndexFileInfo {
    std::string keyExpression;
    std::string condition;  // "" when none
    char keyType = 'C';     // 'C', 'N', 'D' or 'L'
    bool descending = false;
    uint32_t recordCount = 0;  // the table's record count the entries were made for
    // The table's change stamp the entries were made for; nullopt in a file that names none.
    std::optional<uint32_t> tableStamp;
};

struct LoadedKeyIndex {
    IndexFileInfo info;
    KeyIndex index;
};

// Written to a new file beside path, flushed to the disk and renamed over it, so the old file
// stays whole until the new one is. Throws IndexFileError.
void SaveKeyIndexFile(const std::string& path, const IndexFileInfo& info, const KeyIndex& index);

// Throws IndexFileError for a file that cannot be read, is not ours, or does not check out.
LoadedKeyIndex LoadKeyIndexFile(const std::string& path);

// Removes the new files of saves that stopped midway (their process no longer runs) from a
// directory; a file another open is still writing is left alone.
void RemoveStoppedSaves(const std::string& dir);

uint32_t Crc32(const void* data, std::size_t size, uint32_t crc = 0);

}  // namespace xb
