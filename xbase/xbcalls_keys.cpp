// Seeking keys, ranges between keys, record keys and bookmark order on the current index.

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "platform/xbase32/expression_text.h"
#include "xbase/descriptor_cache.h"
#include "xbase/engine_api.h"
#include "xbase/engine_record.h"
#include "xbase/names.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr int32_t kPropGetSoftSeek = 1000;
constexpr int32_t kPropSetSoftSeek = 1001;
constexpr int32_t kPropGetExact = 1002;
constexpr int32_t kPropSetExact = 1003;

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

void StandAfterLast() {
    Engine().sx_GoBottom();
    Engine().sx_Skip(1);
}

// The order's key of the record in the engine's buffer, by the key expression's value type
// (as the engine's expression test answers it).
std::string KeyOfEngineRecord(const std::string& key, int32_t evalType) {
    const EngineApi& e = Engine();
    switch (evalType) {
        case 2: {
            const std::string text = "LTRIM(STR(" + key + ", 19))";
            return Text(e.sx_EvalString(text.c_str()));
        }
        case 3:
            return e.sx_EvalLogical(key.c_str()) ? ".T." : ".F.";
        default:
            return Text(e.sx_EvalString(key.c_str()));
    }
}

// The text field whose bare name is the whole key expression; 0 when it is anything else.
uint16_t BareTextField(TVCLWorkArea& wa, const std::string& expression) {
    const std::string name(xb::TrimLeft(xb::TrimRight(expression)));
    if (name.empty()) {
        return 0;
    }
    for (uint16_t n = 1; n <= wa.logical.size(); ++n) {
        const FieldLayout* f = LayoutOf(wa, n);
        if (f == nullptr || !EqualsNoCase(f->name, name)) {
            continue;
        }
        const char* letter = Engine().sx_FieldType(f->name.c_str());
        const bool text = f->type == kFldText && !f->textForm && letter != nullptr &&
                          std::string_view(letter) == "C";
        return text ? n : 0;
    }
    return 0;
}

// How the current order's key is made, read again only when the key expression changes.
// A failed expression test is not kept, so its error shows on every try as before.
const TVCLWorkArea::KeyPlan& PlanOf(TVCLWorkArea& wa) {
    const EngineApi& e = Engine();
    const std::string_view expression = [&] {
        const char* text = e.sx_IndexKey();
        return std::string_view(text != nullptr ? text : "");
    }();
    TVCLWorkArea::KeyPlan& plan = wa.keyPlan;
    if (plan.known && plan.expression == expression) {
        return plan;
    }
    plan = {};
    plan.expression = std::string(expression);
    plan.bareField = BareTextField(wa, plan.expression);
    if (plan.bareField == 0) {
        plan.evalType = e.sx_EvalTest(plan.expression.c_str());
    }
    plan.known = plan.bareField != 0 || plan.evalType != 0;
    return plan;
}

// The key of a caller's record. A bare text field's stored bytes are its key, read from the
// record itself; any other key is evaluated in the engine's buffer, which then gets its own
// record back: the caller's record never reaches the table.
std::string KeyOfRecord(TVCLWorkArea& wa, const char* record) {
    Engine().sx_Commit();
    const TVCLWorkArea::KeyPlan& plan = PlanOf(wa);
    if (plan.bareField != 0 && record != nullptr) {
        const FieldLayout& f = *LayoutOf(wa, plan.bareField);
        const char* bytes = record + f.start;
        // The engine answers with a C string, which ends at a zero byte.
        return std::string(bytes, strnlen(bytes, static_cast<std::size_t>(f.width)));
    }
    const std::string expression = plan.expression;
    const int32_t evalType = plan.known ? plan.evalType : 0;
    ParkedRecord placed(wa, record);
    return KeyOfEngineRecord(expression, evalType);
}

// The engine's soft-seek and exact settings, put back on every path.
class SeekSettings {
  public:
    SeekSettings()
        : soft_(Engine().sx_SysProp(kPropGetSoftSeek, 0)),
          exact_(Engine().sx_SysProp(kPropGetExact, 0)) {}
    ~SeekSettings() {
        Engine().sx_SysProp(kPropSetExact, exact_);
        Engine().sx_SysProp(kPropSetSoftSeek, soft_);
    }
    SeekSettings(const SeekSettings&) = delete;
    SeekSettings& operator=(const SeekSettings&) = delete;

    void Use(bool exact, bool soft) {
        Engine().sx_SysProp(kPropSetExact, exact ? 1 : 0);
        Engine().sx_SysProp(kPropSetSoftSeek, soft ? 1 : 0);
    }

  private:
    intptr_t soft_;
    intptr_t exact_;
};

// The least text above every key that starts with `key`; none when `key` is all 0xFF bytes.
std::optional<std::string> Raised(std::string key) {
    while (!key.empty() && static_cast<unsigned char>(key.back()) == 0xFF) {
        key.pop_back();
    }
    if (key.empty()) {
        return std::nullopt;
    }
    key.back() = static_cast<char>(static_cast<unsigned char>(key.back()) + 1);
    return key;
}

DbiResult Seek(TVCLWorkArea& wa, int32_t mode, bool directKey, const char* key) {
    const EngineApi& e = Engine();
    if (e.sx_IndexOrd() <= 0) {
        return kSeekWithoutOrder;
    }
    std::string text = directKey ? Text(key) : KeyOfRecord(wa, key);
    const int32_t noted = e.sx_RecNo();
    SeekSettings settings;
    settings.Use(mode == kSearchEqual, mode != kSearchEqual);
    if (mode == kSearchGreater) {
        const std::optional<std::string> above = Raised(text);
        if (!above) {
            StandAfterLast();  // no key lies above it
            return kOk;
        }
        text = *above;
    }
    const bool found = e.sx_Seek(text.c_str()) != 0;
    if (mode == kSearchEqual && !found) {
        e.sx_Go(noted);
        return kKeyNotFound;
    }
    return kOk;
}

struct CursorPosition {
    CursorPosition()
        : recno(Engine().sx_RecNo()),
          atEnd(Engine().sx_Eof() != 0),
          atBegin(Engine().sx_Bof() != 0) {}
    void Restore() const {
        const EngineApi& e = Engine();
        if (atEnd) {
            StandAfterLast();
        } else if (atBegin) {
            e.sx_GoTop();
            e.sx_Skip(-1);
        } else {
            e.sx_Go(recno);
        }
    }
    int32_t recno;
    bool atEnd;
    bool atBegin;
};

int32_t BookmarkOf(const char* bookmark) {
    int32_t recno = 0;
    if (bookmark != nullptr) {
        std::memcpy(&recno, bookmark, kBookmarkSize);
    }
    return recno;
}

}  // namespace

DbiResult DbiGetRecordForKey(CursorHandle table, bool directKey, uint16_t fieldCount,
                             uint16_t /*partialLength*/, const char* key, char* record) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const int32_t mode = directKey || fieldCount != 0 ? kSearchEqual : kSearchGreaterOrEqual;
    const DbiResult result = Seek(*wa, mode, directKey, key);
    if (record != nullptr) {
        Engine().sx_GetRecord(record);
    }
    return result;
}

DbiResult DbiSeekKey(CursorHandle table, int32_t mode, bool directKey, uint16_t /*fieldCount*/,
                     uint16_t /*partialLength*/, const char* key) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    return Seek(*wa, mode, directKey, key);
}

DbiResult DbiSetRange(CursorHandle table, bool keyItself, uint16_t /*fieldCount1*/,
                      uint16_t /*length1*/, const char* key1, bool /*include1*/,
                      uint16_t /*fieldCount2*/, uint16_t /*length2*/, const char* key2,
                      bool /*include2*/) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    std::optional<std::string> low, high;
    if (key1 != nullptr)
        low = keyItself ? std::string(key1) : KeyOfRecord(*wa, key1);
    if (key2 != nullptr)
        high = keyItself ? std::string(key2) : KeyOfRecord(*wa, key2);
    Engine().sx_SetScope(low ? low->c_str() : nullptr, high ? high->c_str() : nullptr);
    return DbiSetToBegin(table);
}

DbiResult DbiResetRange(CursorHandle table) {
    if (SelectTable(table) == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    const int32_t recno = e.sx_RecNo();
    e.sx_SetScope(nullptr, nullptr);
    if (recno == e.sx_RecCount() + 1) {
        StandAfterLast();
    } else {
        e.sx_Go(recno);
    }
    return kOk;
}

DbiResult DbiExtractKey(CursorHandle table, const char* record, std::string* key) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    if (e.sx_IndexOrd() <= 0) {
        return kNoCurrentOrder;
    }
    std::string text = record != nullptr ? KeyOfRecord(*wa, record) : Text(e.sx_KeyData());
    if (key != nullptr) {
        *key = std::move(text);
    }
    return kOk;
}

DbiResult DbiCompareBookMarks(CursorHandle table, const char* bookmark1, const char* bookmark2,
                              int16_t* result) {
    if (SelectTable(table) == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    int32_t first = BookmarkOf(bookmark1);
    int32_t second = BookmarkOf(bookmark2);
    if (e.sx_IndexOrd() > 0) {
        // Positions in the order; the cursor goes back where it stood, at either end too.
        const CursorPosition position;
        e.sx_Go(first);
        first = e.sx_OrderRecNo();
        e.sx_Go(second);
        second = e.sx_OrderRecNo();
        position.Restore();
    }
    if (result != nullptr) {
        *result = static_cast<int16_t>(first < second ? -1 : (first == second ? 0 : 1));
    }
    return kOk;
}

}  // namespace xbase
