// Seeking keys, ranges between keys, record keys and bookmark order on the current index.

#include <cstring>
#include <optional>
#include <string>

#include "xbase/engine_api.h"
#include "xbase/engine_record.h"
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

// The current order's key of the record in the engine's buffer.
std::string KeyOfEngineRecord() {
    const EngineApi& e = Engine();
    const std::string key = Text(e.sx_IndexKey());
    switch (e.sx_EvalTest(key.c_str())) {
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

// The key of a caller's record, evaluated in the engine's buffer, which then gets its own
// record back: the caller's record never reaches the table.
std::string KeyOfRecord(const TVCLWorkArea& wa, const char* record) {
    Engine().sx_Commit();
    ParkedRecord placed(wa, record);
    return KeyOfEngineRecord();
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

DbiResult Seek(const TVCLWorkArea& wa, int32_t mode, bool directKey, const char* key) {
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
