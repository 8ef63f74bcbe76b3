#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "xbase/descriptors.h"
#include "xbase/result_codes.h"

namespace xbase {

inline constexpr int kMaxArea = 255;
inline constexpr CursorHandle kFieldListCursor = 260;
inline constexpr CursorHandle kNullCursor = 261;  // yields no rows, closes without effect
inline constexpr int kFilterSlots = 100;

// Makes a work area current and, when destroyed, the one that was current before, if the
// engine still has it open.
class TWA {
  public:
    explicit TWA(int32_t area);
    ~TWA();
    TWA(const TWA&) = delete;
    TWA& operator=(const TWA&) = delete;

    bool Invalid() const { return invalid_; }
    // True when the engine had the area open and it is now current.
    bool Selected() const { return selected_; }

  private:
    int32_t previous_ = -2;
    bool invalid_ = false;
    bool selected_ = false;
};

// Accepts a record when it answers non-zero.
using FilterCallback = int32_t (*)(intptr_t clientData, const char* record, int32_t recordNumber);
// Stored for the data set; the layer never calls it.
using CursorCallback = int32_t (*)(int32_t kind, void* dataSet, void* info);

struct FilterSlot {
    std::string expression;  // an xBase expression; empty in a callback slot
    FilterCallback callback = nullptr;
    bool active = false;
    bool isCallback = false;
    intptr_t clientData = 0;
    uint16_t kind = 0;  // 0 filter text, 1 record-filter event, 2 temporary search filter

    bool Used() const { return !expression.empty() || isCallback; }
};

// A blob answer's copy of the engine's record buffer; its end puts the buffer back.
class RecordSnapshot {
  public:
    virtual ~RecordSnapshot() = default;
};

struct SavedRecord {
    std::string madeAt;  // "hh:mm:ss"
    std::unique_ptr<RecordSnapshot> snapshot;
};

// Where a field lies in the raw record and how its value is read. Fixed while the table is
// open, so it is read from the engine once per field.
struct FieldLayout {
    std::string name;
    uint16_t type = 0;  // the logical field type
    int width = 0;
    int decimals = 0;
    int start = 0;          // of the field's bytes in the raw record
    bool textForm = false;  // read and written through the engine's value calls
    bool valid = false;     // false when the bytes would lie outside the record
};

// What the layer keeps of one open table, or of the field-list pseudo-cursor.
class TVCLWorkArea {
  public:
    explicit TVCLWorkArea(int32_t area) : area(area) {}
    TVCLWorkArea(const TVCLWorkArea&) = delete;
    TVCLWorkArea& operator=(const TVCLWorkArea&) = delete;

    // Reads field count and record size, sizes the descriptor arrays (zeroed) and the
    // record buffer; all stay empty when the area cannot be selected.
    void LoadStructure();
    // Makes the area current for a while; false when the engine has no such area open.
    bool SelectArea();
    void ReleaseArea();

    std::unique_ptr<TWA> guard;
    int32_t area;
    std::vector<SavedRecord> savedRecords;
    std::string alias;
    std::string fullPath;   // as given to the engine
    std::string tableName;  // as the data set passed it
    bool callbackFilterPresent = false;
    std::array<FilterSlot, kFilterSlots> filters{};  // handle n is filters[n - 1]
    std::vector<FieldDescriptor> logical;
    std::vector<FieldDescriptor> physical;
    bool descriptorsBuilt = false;
    // By field number - 1; an entry is read on first use, all go with the structure.
    std::vector<std::optional<FieldLayout>> fieldLayouts;
    // How the key of the last order key expression seen is made from a record: its text as
    // the engine gave it, the bare text field it names (0 for none) and its value type.
    struct KeyPlan {
        std::string expression;
        uint16_t bareField = 0;
        int32_t evalType = 0;
        bool known = false;
    } keyPlan;
    int32_t nextRow = 1;  // of the field-list pseudo-cursor
    int32_t fieldCount = 0;
    std::vector<char> recordBuffer;  // parks the engine's record while a caller's is used
    int32_t driver = 2;              // SX_NTX, SX_FOX or SX_NSX
    int32_t recordSize = 0;          // deletion flag included
    int32_t translateMode = 2;       // 0 hands out the physical descriptors
    int32_t openMode = 0;
    int32_t shareMode = 0;
    CursorCallback cursorCallback = nullptr;
    void* cursorCallbackDataSet = nullptr;
};

// The work-area records of this thread: 1 to 255 for tables, 260 for the field list.
TVCLWorkArea* WorkAreaOf(CursorHandle handle);
void SetWorkArea(CursorHandle handle, std::unique_ptr<TVCLWorkArea> record);
void ClearWorkArea(CursorHandle handle);
void ClearAllWorkAreas();

// The open table of `handle` made current; null (and no engine call) when it names none.
TVCLWorkArea* SelectTable(CursorHandle handle);

}  // namespace xbase
