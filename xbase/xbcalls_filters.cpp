// The 100 filter slots of a table: expression slots joined into the engine's filter, and
// callback slots that the record answers ask.

#include <string>

#include "xbase/engine_api.h"
#include "xbase/engine_record.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr uint16_t kTemporaryFilter = 2;

FilterSlot* SlotOf(TVCLWorkArea& wa, FilterHandle filter) {
    return filter >= 1 && filter <= kFilterSlots ? &wa.filters[filter - 1] : nullptr;
}

bool InJoin(const FilterSlot& slot) {
    // A temporary search filter only finds a record; it never stays in force.
    return slot.active && !slot.expression.empty() && slot.kind != kTemporaryFilter;
}

std::string JoinedExpression(const TVCLWorkArea& wa) {
    std::string joined;
    for (const FilterSlot& slot : wa.filters) {
        if (!InJoin(slot))
            continue;
        if (!joined.empty())
            joined += " .and. ";
        joined += slot.expression;
    }
    return joined;
}

bool Query(const std::string& expression) {
    return Engine().sx_Query(expression.c_str()) != 0;
}

void NoteCallbackSlots(TVCLWorkArea& wa) {
    wa.callbackFilterPresent = false;
    for (const FilterSlot& slot : wa.filters) {
        wa.callbackFilterPresent = wa.callbackFilterPresent || slot.isCallback;
    }
}

// Places the cursor before the first record that passes both the filter in force and the
// temporary slot's expression; the filter in force stays.
DbiResult FindWithTemporary(const FilterSlot& slot) {
    const EngineApi& e = Engine();
    const char* current = e.sx_DBFilter();
    const std::string former = current != nullptr ? current : "";
    const std::string both =
        former.empty() ? slot.expression : former + " .and. " + slot.expression;
    if (!Query(both)) {
        Query(former);
        return kFilterRejected;
    }
    e.sx_GoTop();
    const int32_t found = e.sx_RecNo();
    Query(former);
    e.sx_Go(found);
    e.sx_Skip(-1);
    return kOk;
}

}  // namespace

DbiResult DbiAddFilter(CursorHandle table, intptr_t clientData, uint16_t priority,
                       bool /*canAbort*/, const char* expression, FilterCallback callback,
                       FilterHandle* filter) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    if (expression != nullptr && *expression == '\0') {
        return kFilterRejected;  // an empty text would leave the slot looking free
    }
    for (FilterHandle n = 1; n <= kFilterSlots; ++n) {
        FilterSlot& slot = wa->filters[n - 1];
        if (slot.Used())
            continue;
        slot = FilterSlot{};
        slot.kind = priority;
        if (expression != nullptr) {
            slot.expression = expression;
        } else {
            slot.isCallback = true;
            slot.callback = callback;
            slot.clientData = clientData;
            wa->callbackFilterPresent = true;
        }
        if (filter != nullptr)
            *filter = n;
        return kOk;
    }
    return kNoFreeFilterSlot;
}

DbiResult DbiActivateFilter(CursorHandle table, FilterHandle filter) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    const std::string before = JoinedExpression(*wa);
    if (filter == 0) {
        const auto slots = wa->filters;
        for (FilterSlot& slot : wa->filters) {
            slot.active = slot.active || slot.Used();
        }
        if (!Query(JoinedExpression(*wa))) {
            wa->filters = slots;
            Query(before);
            return kFilterRejected;
        }
        return kOk;
    }
    FilterSlot* slot = SlotOf(*wa, filter);
    if (slot == nullptr || !slot->Used() || slot->active) {
        return kOk;
    }
    if (slot->isCallback) {
        slot->active = true;
        return kOk;
    }
    if (slot->kind == kTemporaryFilter) {
        const DbiResult found = FindWithTemporary(*slot);
        slot->active = found == kOk;
        return found;
    }
    slot->active = true;
    if (!Query(JoinedExpression(*wa))) {
        slot->active = false;
        Query(before);
        return kFilterRejected;
    }
    return kOk;
}

DbiResult DbiDeactivateFilter(CursorHandle table, FilterHandle filter) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    if (filter == 0) {
        for (FilterSlot& slot : wa->filters) {
            slot.active = false;
        }
        Query("");
        return kOk;
    }
    FilterSlot* slot = SlotOf(*wa, filter);
    if (slot == nullptr || !slot->active) {
        return kOk;
    }
    slot->active = false;
    if (!slot->isCallback && slot->kind != kTemporaryFilter) {
        Query(JoinedExpression(*wa));
    }
    return kOk;
}

DbiResult DbiDropFilter(CursorHandle table, FilterHandle filter) {
    TVCLWorkArea* wa = TableRecord(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    TWA guard(wa->area);
    FilterSlot* slot = SlotOf(*wa, filter);
    if (slot == nullptr || !slot->Used()) {
        return kOk;
    }
    const bool requery = slot->active && !slot->isCallback && slot->kind != kTemporaryFilter;
    *slot = FilterSlot{};
    NoteCallbackSlots(*wa);
    if (requery) {
        Query(JoinedExpression(*wa));
    }
    return kOk;
}

}  // namespace xbase
