// Native field values from and into the raw record that the data set holds.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/rtl/date_time.h"
#include "platform/xbase32/expression_text.h"
#include "xbase/descriptor_cache.h"
#include "xbase/engine_api.h"
#include "xbase/engine_record.h"
#include "xbase/field_codec.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr int32_t kPropTextForm = 65012;

FieldLayout ReadLayout(const TVCLWorkArea& wa, uint16_t n) {
    const EngineApi& e = Engine();
    FieldLayout layout;
    const char* name = e.sx_FieldName(n);
    layout.name = name != nullptr ? name : "";
    layout.type = wa.logical[n - 1].fieldType;
    layout.width = e.sx_FieldWidth(layout.name.c_str());
    layout.decimals = e.sx_FieldDecimals(layout.name.c_str());
    layout.start = e.sx_FieldOffset(layout.name.c_str()) - 1;
    layout.textForm = e.sx_SysProp(kPropTextForm, n) != 0;
    layout.valid =
        layout.start >= 1 && layout.width >= 0 && layout.start + layout.width <= wa.recordSize;
    return layout;
}

}  // namespace

const FieldLayout* LayoutOf(TVCLWorkArea& wa, uint16_t n) {
    EnsureDescriptors(wa);
    if (n < 1 || n > wa.logical.size()) {
        return nullptr;
    }
    if (wa.fieldLayouts.size() != wa.logical.size()) {
        wa.fieldLayouts.assign(wa.logical.size(), std::nullopt);
    }
    std::optional<FieldLayout>& slot = wa.fieldLayouts[n - 1];
    if (!slot) {
        slot = ReadLayout(wa, n);
    }
    return slot->valid ? &*slot : nullptr;
}

namespace {

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

void GetValue(TVCLWorkArea& wa, const FieldLayout& f, const char* record, void* value) {
    const EngineApi& e = Engine();
    const std::string_view raw(record + f.start, static_cast<size_t>(f.width));
    // Engine text form: the engine reads the caller's record in its own buffer.
    std::optional<ParkedRecord> placed;
    if (f.textForm) {
        placed.emplace(wa, record);
    }
    const char* name = f.name.c_str();
    switch (f.type) {
        case kFldText: {
            const std::string text =
                f.textForm ? Text(e.sx_GetTrimString(name)) : std::string(xb::TrimRight(raw));
            char* out = static_cast<char*>(value);
            const size_t n = std::min(text.size(), static_cast<size_t>(f.width));
            std::memset(out, 0, static_cast<size_t>(f.width) + 1);
            std::memcpy(out, text.data(), n);
            break;
        }
        case kFldDate: {
            int32_t day = 0;
            if (f.textForm) {
                const rtl::TDateTime date = rtl::StrToDate(Text(e.sx_GetDateString(name)));
                day = static_cast<int32_t>(std::floor(date)) + rtl::kDateDelta;
            } else {
                day = DayNumberFromStored(raw);
            }
            std::memcpy(value, &day, sizeof day);
            break;
        }
        case kFldLogical: {
            const int16_t on = (f.textForm ? e.sx_GetLogical(name) != 0 : raw[0] == 'T') ? 1 : 0;
            std::memcpy(value, &on, sizeof on);
            break;
        }
        case kFldInt16: {
            const int16_t n = IntegerFromStored(f.textForm ? Text(e.sx_GetString(name)) : raw);
            std::memcpy(value, &n, sizeof n);
            break;
        }
        case kFldFloat: {
            const double d = NumberFromStored(f.textForm ? Text(e.sx_GetString(name)) : raw);
            std::memcpy(value, &d, sizeof d);
            break;
        }
        default:
            break;
    }
}

// The engine's text form: the value goes into the caller's record, through the engine's
// buffer, which gets its own record back afterwards.
DbiResult PutThroughEngine(const TVCLWorkArea& wa, const FieldLayout& f, char* record, int32_t kind,
                           const void* value) {
    const EngineApi& e = Engine();
    ParkedRecord placed(wa, record);
    if (!e.sx_Replace(f.name.c_str(), kind, value)) {
        return kNumberDoesNotFit;
    }
    placed.CopyBack(record);
    return kOk;
}

DbiResult PutDate(const TVCLWorkArea& wa, const FieldLayout& f, char* record, const void* value,
                  std::string* stored) {
    if (value == nullptr) {
        *stored = std::string(8, ' ');
        return kOk;
    }
    int32_t day = 0;
    std::memcpy(&day, value, sizeof day);
    std::string ymd;
    if (!StoredDate(day, &ymd)) {
        return kNumberDoesNotFit;
    }
    if (!f.textForm) {
        *stored = ymd;
        return kOk;
    }
    // Four year digits, so the engine keeps the year instead of placing a two-digit one.
    const std::string text = ymd.substr(4, 2) + "/" + ymd.substr(6, 2) + "/" + ymd.substr(0, 4);
    const EngineApi& e = Engine();
    const sx_bool century = e.sx_SetCentury(1);
    const DbiResult r = PutThroughEngine(wa, f, record, SX_R_DATESTR, text.c_str());
    e.sx_SetCentury(century);
    return r;
}

// The stored bytes of a raw put in `stored`, or the engine's put for the text form.
DbiResult PutValue(const TVCLWorkArea& wa, const FieldLayout& f, char* record, const void* value,
                   std::string* stored) {
    switch (f.type) {
        case kFldText: {
            const std::string text = value != nullptr ? static_cast<const char*>(value) : "";
            if (f.textForm) {
                return PutThroughEngine(wa, f, record, SX_R_CHAR, text.c_str());
            }
            *stored = text.substr(0, static_cast<size_t>(f.width));
            return kOk;
        }
        case kFldDate:
            return PutDate(wa, f, record, value, stored);
        case kFldLogical: {
            const bool on = value != nullptr && *static_cast<const uint8_t*>(value) == 1;
            if (f.textForm) {
                const int32_t flag = on ? 1 : 0;
                return PutThroughEngine(wa, f, record, SX_R_LOGICAL, &flag);
            }
            *stored = value == nullptr ? " " : (on ? "T" : "F");
            return kOk;
        }
        case kFldInt16: {
            if (value == nullptr) {
                return f.textForm ? PutThroughEngine(wa, f, record, SX_R_CHAR, "") : kOk;
            }
            int16_t n = 0;
            std::memcpy(&n, value, sizeof n);
            if (!StoredInteger(n, f.width, stored)) {
                return kNumberDoesNotFit;
            }
            if (f.textForm) {
                const std::string text = std::to_string(n);
                return PutThroughEngine(wa, f, record, SX_R_CHAR, text.c_str());
            }
            return kOk;
        }
        case kFldFloat: {
            double d = 0;
            if (value != nullptr) {
                std::memcpy(&d, value, sizeof d);
            }
            if (f.textForm) {
                return PutThroughEngine(wa, f, record, SX_R_DOUBLE, &d);
            }
            return StoredNumber(d, f.width, f.decimals, stored) ? kOk : kNumberDoesNotFit;
        }
        default:
            return kOk;
    }
}

// A memo field holds the number of its first block, blank or 0 while the memo is empty.
bool IsEmptyMemoPointer(std::string_view stored) {
    for (const char c : stored) {
        if (c != ' ' && c != '0' && c != '\0') {
            return false;
        }
    }
    return true;
}

}  // namespace

DbiResult DbiGetField(CursorHandle table, uint16_t field, const char* record, void* value,
                      bool* blank) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const FieldLayout* layout = LayoutOf(*wa, field);
    if (layout == nullptr) {
        return kNotFound;
    }
    const FieldLayout& f = *layout;
    if (f.type == kFldBlob && record != nullptr && blank != nullptr) {
        *blank =
            IsEmptyMemoPointer(std::string_view(record + f.start, static_cast<size_t>(f.width)));
    }
    if (f.type == kFldBlob || record == nullptr) {
        return kOk;
    }
    const bool isBlank =
        IsBlankField(std::string_view(record + f.start, static_cast<size_t>(f.width)));
    if (blank != nullptr) {
        *blank = isBlank;
    }
    if (!isBlank && value != nullptr) {
        GetValue(*wa, f, record, value);
    }
    return kOk;
}

DbiResult DbiPutField(CursorHandle table, uint16_t field, char* record, const void* value) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const FieldLayout* layout = LayoutOf(*wa, field);
    if (layout == nullptr) {
        return kNotFound;
    }
    const FieldLayout& f = *layout;
    if (f.type == kFldBlob || record == nullptr) {
        return kOk;
    }
    std::string stored;
    if (DbiResult r = PutValue(*wa, f, record, value, &stored)) {
        return r;
    }
    if (!f.textForm) {
        // Stored texts are left-aligned; numbers came right-aligned in the width.
        stored.resize(static_cast<size_t>(f.width), ' ');
        std::memcpy(record + f.start, stored.data(), stored.size());
    }
    return kOk;
}

}  // namespace xbase
