#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xbase {

// Logical field types, as the data sets see them.
enum : uint16_t {
    kFldText = 1,
    kFldDate = 2,
    kFldBlob = 3,
    kFldLogical = 4,
    kFldInt16 = 5,
    kFldFloat = 7,
    kFldUnknown = 255
};

// Blob subtypes.
enum : uint16_t { kBlobMemo = 22, kBlobOle = 27, kBlobBinary = 28 };

// Physical type codes, the xBase view.
enum : uint16_t {
    kPhysChar = 513,
    kPhysNumeric = 514,
    kPhysMemo = 515,
    kPhysLogical = 516,
    kPhysDate = 517,
    kPhysOle = 520,
    kPhysBinary = 521,
    kPhysUnknown = 255
};

struct FieldDescriptor {
    uint16_t fieldNumber = 0;  // 1-based
    std::string name;
    uint16_t fieldType = 0;
    uint16_t subType = 0;
    int16_t units1 = 0;  // width or precision
    int16_t units2 = 0;  // decimals
    uint16_t offset = 0;
    uint16_t length = 0;
    uint16_t nullOffset = 0;
    int32_t validityCheck = 0;
    int32_t rights = 0;
    uint16_t calculated = 0;
    uint16_t reserved[2] = {0, 0};

    bool operator==(const FieldDescriptor&) const = default;
};

struct IndexDescriptor {
    std::string indexName;  // the index file
    std::string tagName;
    uint16_t indexId = 0;
    bool descending = false;
    bool unique = false;
    bool subset = false;
    std::string condition;  // of a subset index
    bool maintained = false;
    uint16_t keyLength = 0;
    bool expressionIndex = false;
    std::string keyExpression;  // of an expression index
    bool caseInsensitive = false;
    std::vector<uint16_t> keyFields;  // field numbers of a field index, 1-based
};

struct CursorProperties {
    std::string baseName;   // without directory and extension
    std::string tableType;  // "SXNTX", "SXFOX" or "SXNSX"
    uint16_t fieldCount = 0;
    uint16_t recordSize = 0;        // of the descriptors handed out
    uint16_t recordBufferSize = 0;  // the engine's record, deletion flag included
    uint16_t indexCount = 0;
    uint16_t validityChecks = 0;
    uint16_t bookmarkSize = 0;
    int32_t openMode = 0;
    int32_t shareMode = 0;
    bool indexed = false;
    int32_t sequenceNumbers = 0;
    int32_t translateMode = 0;
    uint16_t tableLevel = 0;
    uint16_t filterCount = 0;
    bool temporary = false;
};

}  // namespace xbase
