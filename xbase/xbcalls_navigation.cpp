// Moving a table's cursor and reading its records, with the callback-filter step.

#include <cstring>

#include "xbase/engine_api.h"
#include "xbase/engine_record.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr int32_t kPropMayLeaveFilter = 1006;

void StandAfterLast() {
    const EngineApi& e = Engine();
    e.sx_GoBottom();
    e.sx_Skip(1);
}

void FillProperties(RecordProperties* properties) {
    if (properties == nullptr) {
        return;
    }
    const EngineApi& e = Engine();
    properties->recordNumber = e.sx_Eof() ? 0 : e.sx_RecNo();
    properties->deleted = e.sx_Deleted() ? 1 : 0;
}

// The first active callback slot decides; without one every record passes.
bool PassesCallbackFilter(TVCLWorkArea& wa, const char* record) {
    if (!wa.callbackFilterPresent) {
        return true;
    }
    for (const FilterSlot& slot : wa.filters) {
        if (!slot.isCallback || !slot.active || slot.callback == nullptr) {
            continue;
        }
        if (record == nullptr) {
            wa.recordBuffer.assign(static_cast<size_t>(wa.recordSize), ' ');
            Engine().sx_GetRecord(wa.recordBuffer.data());
            record = wa.recordBuffer.data();
        }
        return slot.callback(slot.clientData, record, Engine().sx_RecNo()) != 0;
    }
    return true;
}

// Whether the current record d is still one the cursor would stop on; the cursor stays on d.
// The engine answers from its order and the pass it keeps, without stepping over the records
// a filter hides.
bool BelongsToSet(int32_t d) {
    return Engine().sx_PositionOfRecNo(d) != 0;
}

// A record the engine may hide after it was read: under a filter, or deleted (while deleted
// records are hidden the walk finds it hidden).
bool MayHaveLeftTheSet() {
    const EngineApi& e = Engine();
    const char* filter = e.sx_DBFilter();
    return (filter != nullptr && *filter != '\0') || e.sx_SysProp(kPropMayLeaveFilter, 0) == 1 ||
           e.sx_Deleted();
}

}  // namespace

// The data set's refresh: the engine reads the current record and its table's header again,
// so that what other opens changed shows. Always 0.
DbiResult DbiForceReread(CursorHandle table) {
    if (TVCLWorkArea* wa = TableRecord(table)) {
        TWA guard(wa->area);
        Engine().sx_Skip(0);
    }
    return kOk;
}

DbiResult DbiSetToBegin(CursorHandle table) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    Engine().sx_GoTop();
    Engine().sx_Skip(-1);
    return kOk;
}

DbiResult DbiSetToEnd(CursorHandle table) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    StandAfterLast();
    return kOk;
}

DbiResult DbiGetSeqNo(CursorHandle table, char* bookmark) {
    if (SelectTable(table) != nullptr && bookmark != nullptr) {
        const int32_t recno = Engine().sx_RecNo();
        std::memcpy(bookmark, &recno, kBookmarkSize);
    }
    return kOk;
}

DbiResult DbiSetToSeqNo(CursorHandle table, const char* bookmark) {
    if (SelectTable(table) == nullptr) {
        return kNoSuchTable;
    }
    if (bookmark == nullptr) {
        return kOk;
    }
    int32_t recno = 0;
    std::memcpy(&recno, bookmark, kBookmarkSize);
    const EngineApi& e = Engine();
    if (recno > e.sx_RecCount()) {
        StandAfterLast();
    } else {
        e.sx_Go(recno);
    }
    return kOk;
}

DbiResult DbiMoveToPosition(CursorHandle table, int32_t position) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    Engine().sx_GoTop();
    Engine().sx_Skip(position);
    return kOk;
}

DbiResult DbiSetToCursor(CursorHandle destination, CursorHandle source) {
    TVCLWorkArea* to = TableRecord(destination);
    TVCLWorkArea* from = TableRecord(source);
    if (to == nullptr || from == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(from->area);
    const EngineApi& e = Engine();
    const int32_t recno = e.sx_RecNo();
    e.sx_Select(to->area);
    e.sx_Go(recno);
    return kOk;
}

DbiResult DbiGetNextRecord(CursorHandle table, int32_t lock, char* record,
                           RecordProperties* properties) {
    if (table > kMaxArea) {
        return PseudoCursorNextRow(table, nullptr);
    }
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    for (;;) {
        if (e.sx_Bof()) {
            e.sx_GoTop();
        } else {
            e.sx_Skip(1);
        }
        FillProperties(properties);
        if (e.sx_Eof()) {
            if (record != nullptr) {
                e.sx_GetRecord(record);
            }
            e.sx_GoBottom();
            return kEof;
        }
        const int32_t recno = e.sx_RecNo();
        if (lock != 0 && !e.sx_Rlock(recno)) {
            return kLockRefused;
        }
        if (record != nullptr) {
            e.sx_GetRecord(record);
        }
        if (PassesCallbackFilter(*wa, record)) {
            return kOk;
        }
        if (lock != 0) {
            e.sx_Unlock(recno);
        }
    }
}

DbiResult DbiGetPriorRecord(CursorHandle table, int32_t lock, char* record,
                            RecordProperties* properties) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    for (;;) {
        e.sx_Skip(-1);
        FillProperties(properties);
        if (e.sx_Bof()) {
            // Before the first, as after set-to-begin: the next record is the first.
            e.sx_GoTop();
            e.sx_Skip(-1);
            return kBof;
        }
        const int32_t recno = e.sx_RecNo();
        if (lock != 0 && !e.sx_Rlock(recno)) {
            return kLockRefused;
        }
        if (record != nullptr) {
            e.sx_GetRecord(record);
        }
        if (PassesCallbackFilter(*wa, record)) {
            return kOk;
        }
        if (lock != 0) {
            e.sx_Unlock(recno);
        }
    }
}

DbiResult DbiGetRecord(CursorHandle table, int32_t lock, char* record,
                       RecordProperties* properties) {
    if (SelectTable(table) == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    if (e.sx_Eof()) {
        return kEof;
    }
    if (e.sx_Bof()) {
        return kBof;
    }
    const int32_t d = e.sx_RecNo();
    if (lock != 0 && !e.sx_Rlock(d)) {
        return kLockRefused;
    }
    if (MayHaveLeftTheSet() && !BelongsToSet(d)) {
        if (lock != 0) {
            e.sx_Unlock(d);
        }
        if (d <= e.sx_RecCount()) {
            e.sx_Go(d);
        } else {
            StandAfterLast();
        }
        return kRecordNotInFilter;
    }
    if (record != nullptr) {
        e.sx_GetRecord(record);
    }
    FillProperties(properties);
    return kOk;
}

}  // namespace xbase
