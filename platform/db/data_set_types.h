#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace db {

class TField;

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
};

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
};

// What travels with a data event: the field of a field change or focus request, and for a
// scroll the number of rows the ring moved forward (negative: backward).
struct TDataEventInfo {
    TField* field = nullptr;
    int distance = 0;
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TDataAction { daFail, daAbort, daRetry };

using TResyncMode = unsigned;
inline constexpr TResyncMode rmExact = 1;
inline constexpr TResyncMode rmCenter = 2;

using TLocateOptions = unsigned;
inline constexpr TLocateOptions loCaseInsensitive = 1;
inline constexpr TLocateOptions loPartialKey = 2;

using TFilterOptions = unsigned;
inline constexpr TFilterOptions foCaseInsensitive = 1;
inline constexpr TFilterOptions foNoPartialCompare = 2;

enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// A bookmark: the data set's bookmark bytes; empty when there is none.
using TBookmark = std::string;

// A field value in the program's terms: Null, text (UTF-8), whole number, number or date
// value, truth value.
using TFieldValue = std::variant<std::monostate, std::string, std::int64_t, double, bool>;

inline bool IsNullValue(const TFieldValue& value) {
    return std::holds_alternative<std::monostate>(value);
}

}  // namespace db
