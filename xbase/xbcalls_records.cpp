// Writing, locking, deleting and counting records.

#include <cstring>

#include "xbase/engine_api.h"
#include "xbase/engine_record.h"
#include "xbase/xbcalls.h"

namespace xbase {

DbiResult DbiInitRecord(CursorHandle table, char* record) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    if (record != nullptr && wa->recordSize > 0) {
        std::memset(record, ' ', static_cast<size_t>(wa->recordSize));
    }
    return kOk;
}

DbiResult DbiInsertRecord(CursorHandle table, int32_t lock, const char* record) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    if (DbiResult refused = AppendRefusalResult(e.sx_AppendEx())) {
        return NoteRefusal(refused);
    }
    // A record that cannot be written takes its append back with it.
    DbiResult result = kOk;
    if (record != nullptr && !e.sx_PutRecord(record)) {
        result = NoteRefusal(WriteRefusal(*wa));
    }
    // The engine keeps a new record locked; other users may edit it unless asked otherwise.
    if (lock == 0) {
        e.sx_Unlock(e.sx_RecNo());
    }
    return result;
}

DbiResult DbiAppendRecord(CursorHandle table, const char* record) {
    return DbiInsertRecord(table, 0, record);
}

DbiResult DbiModifyRecord(CursorHandle table, const char* record, bool freeLock) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    DbiResult result = kOk;
    if (record != nullptr && !e.sx_PutRecord(record)) {
        result = NoteRefusal(WriteRefusal(*wa));
    }
    if (freeLock) {
        e.sx_Unlock(e.sx_RecNo());
    }
    return result;
}

DbiResult DbiDeleteRecord(CursorHandle table, const char* /*record*/) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    return Engine().sx_Delete() ? kOk : NoteRefusal(WriteRefusal(*wa));
}

DbiResult DbiRelRecordLock(CursorHandle table, bool all) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    const EngineApi& e = Engine();
    e.sx_Unlock(all ? 0 : e.sx_RecNo());
    return kOk;
}

DbiResult DbiGetRecordCount(CursorHandle table, int32_t* count) {
    if (SelectTable(table) == nullptr) {
        return kNoSuchTable;
    }
    if (count != nullptr) {
        *count = Engine().sx_Count();
    }
    return kOk;
}

namespace {

bool LayerFilterActive(const TVCLWorkArea& wa) {
    for (const FilterSlot& slot : wa.filters) {
        if (slot.active && (slot.isCallback || slot.kind == 2)) {
            return true;
        }
    }
    return false;
}

}  // namespace

DbiResult DbiGetRecNoAtPosition(CursorHandle table, int32_t position, int32_t* recordNumber) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    if (LayerFilterActive(*wa)) {
        return kCannotAnswer;
    }
    if (recordNumber != nullptr) {
        *recordNumber = Engine().sx_RecNoAtPosition(position);
    }
    return kOk;
}

DbiResult DbiGetPositionOfRecNo(CursorHandle table, int32_t recordNumber, int32_t* position) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    if (LayerFilterActive(*wa)) {
        return kCannotAnswer;
    }
    if (position != nullptr) {
        *position = Engine().sx_PositionOfRecNo(recordNumber);
    }
    return kOk;
}

DbiResult DbiEmptyTable(DbHandle /*db*/, CursorHandle table, const char* /*tableName*/,
                        const char* /*driver*/) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    // A shared area cannot be emptied; saying so keeps the records from seeming gone.
    return Engine().sx_Zap() ? kOk : kEmptyRefused;
}

}  // namespace xbase
