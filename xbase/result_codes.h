#pragma once

#include <cstdint>

namespace xbase {

// Every answer of the layer returns one of these; 0 is success.
using DbiResult = uint16_t;

// Handles cross the layer as numbers: a table handle is an engine work area (or a
// pseudo-cursor above 255), a database handle a directory slot.
using CursorHandle = int32_t;
using DbHandle = int32_t;
using SessionHandle = int32_t;
using LocaleHandle = int32_t;

inline constexpr DbiResult kOk = 0;
inline constexpr DbiResult kEngineRefused = 99;
inline constexpr DbiResult kBof = 8705;
inline constexpr DbiResult kEof = 8706;
inline constexpr DbiResult kRecordNotInFilter = 8709;
inline constexpr DbiResult kKeyNotFound = 8710;
inline constexpr DbiResult kBlobShortRead = 8711;
inline constexpr DbiResult kNotFound = 8712;
inline constexpr DbiResult kAppendRefused4 = 8965;
inline constexpr DbiResult kAppendRefused3 = 9218;
inline constexpr DbiResult kAppendRefused2 = 10243;
inline constexpr DbiResult kLockRefused = 10245;
inline constexpr DbiResult kReadOnly = 10763;
inline constexpr DbiResult kNoSuchTable = 9990;
// The layer's own limits.
inline constexpr DbiResult kNoFreeDatabaseSlot = 9991;
inline constexpr DbiResult kNoFreeFilterSlot = 9992;
inline constexpr DbiResult kNoSuchDatabase = 9993;
inline constexpr DbiResult kCannotAnswer = 9989;    // the layer's own filters would hide records
inline constexpr DbiResult kEmptyRefused = 9994;    // the engine would not empty the table
inline constexpr DbiResult kFilterRejected = 9995;  // the engine refused the filter text
inline constexpr DbiResult kBlobOffsetBeyondEnd = 9998;
inline constexpr DbiResult kUnknownDriver = 10013;
inline constexpr DbiResult kNumberDoesNotFit = 10019;
inline constexpr DbiResult kTableNotOpened = 10024;
inline constexpr DbiResult kBlobReadShortBeforeWrite = 10030;
inline constexpr DbiResult kBlobUnreadable = 10753;
inline constexpr DbiResult kNoCurrentOrder = 10757;
inline constexpr DbiResult kSeekWithoutOrder = 10764;
inline constexpr DbiResult kFileOpenError = 11011;

// The category of a result is its high byte; 34 (8705 to 8712) is a miss, not a failure.
constexpr int ErrorCategory(DbiResult code) {
    return code >> 8;
}

// The result for a refusal of sx_AppendEx (0 and unknown codes are success).
constexpr DbiResult AppendRefusalResult(int32_t engineCode) {
    switch (engineCode) {
        case 1:
            return kLockRefused;
        case 2:
            return kAppendRefused2;
        case 3:
            return kAppendRefused3;
        case 4:
            return kAppendRefused4;
        case 5:
            return kReadOnly;
        case 6:
            return kNoSuchTable;
        default:
            return kOk;
    }
}

}  // namespace xbase
