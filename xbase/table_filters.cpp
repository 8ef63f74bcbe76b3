// Filters of the table: the Filter text as an xBase expression, OnFilterRecord as a callback
// filter, and the find-first/next/prior/last search through them.

#include <cstring>
#include <vector>

#include "platform/db/exception_handler.h"
#include "platform/rtl/text_encoding.h"
#include "platform/xbase32/expression.h"
#include "xbase/db_errors.h"
#include "xbase/table.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr uint16_t kFilterText = 0;
constexpr uint16_t kFilterEvent = 1;

// What the engine's compiler needs of a field: its name and kind.
xb::FieldDesc DescribeForCompiler(const db::TFieldDef& def) {
    xb::FieldDesc d;
    d.name = rtl::Utf8ToCp1252(def.Name());
    switch (def.DataType()) {
        case db::ftString:
            d.type = 'C';
            d.width = def.Size();
            break;
        case db::ftDate:
            d.type = 'D';
            d.width = 8;
            break;
        case db::ftBoolean:
            d.type = 'L';
            d.width = 1;
            break;
        case db::ftSmallint:
        case db::ftFloat:
        case db::ftCurrency:
            d.type = 'N';
            d.width = 20;
            d.decimals = 4;
            break;
        default:
            d.type = 'M';
            d.width = 10;
            break;
    }
    return d;
}

}  // namespace

void TTable::CheckFilterText(const std::string& text) {
    FieldDefs().Update();
    std::vector<xb::FieldDesc> fields;
    int offset = 1;
    for (int i = 0; i < FieldDefs().Count(); ++i) {
        xb::FieldDesc d = DescribeForCompiler(FieldDefs()[i]);
        d.offset = offset;
        offset += d.width;
        fields.push_back(std::move(d));
    }
    try {
        const xb::Expression e = xb::Expression::Compile(rtl::Utf8ToCp1252(text), fields);
        if (e.Type() != xb::ValueType::Logical) {
            db::DatabaseError("Filter expression is not a condition: " + text, this);
        }
    } catch (const xb::ExpressionError& error) {
        db::DatabaseError(error.what(), this);
    }
}

int32_t TTable::MakeExprFilter(const std::string& text) {
    if (text.empty()) {
        return 0;
    }
    // Checked before anything reaches the layer: a rejected text leaves the old filter.
    CheckFilterText(text);
    if (!IsEngineDriver()) {
        return 0;
    }
    const std::string expression = rtl::Utf8ToCp1252(text);
    FilterHandle filter = 0;
    Check(DbiAddFilter(Handle(), 0, kFilterText, false, expression.c_str(), nullptr, &filter));
    return filter;
}

int32_t TTable::MakeFuncFilter() {
    FilterHandle filter = 0;
    Check(DbiAddFilter(Handle(), reinterpret_cast<intptr_t>(this), kFilterEvent, false, nullptr,
                       &TTable::FilterCallbackEntry, &filter));
    return filter;
}

int32_t TTable::FilterCallbackEntry(intptr_t clientData, const char* record,
                                    int32_t /*recordNumber*/) {
    TTable& table = *reinterpret_cast<TTable*>(clientData);
    bool accept = true;
    const db::TDataSetState saved = table.SetTempState(db::dsFilter);
    // The layer hands its own record; the fields only read it while filtering.
    table.SetFilterRecordBuffer(const_cast<char*>(record));
    try {
        if (table.OnFilterRecord()) {
            table.OnFilterRecord()(table, accept);
        }
    } catch (...) {
        db::HandleException();
    }
    table.SetFilterRecordBuffer(nullptr);
    table.RestoreState(saved);
    return accept ? 1 : 0;
}

void TTable::ActivateFilters() {
    auto activate = [this](int32_t& filter, bool expression) {
        if (filter == 0) {
            return;
        }
        if (DbiActivateFilter(Handle(), filter) == kOk) {
            return;
        }
        DbiDropFilter(Handle(), filter);
        filter = 0;
        filter = expression ? MakeExprFilter(Filter()) : MakeFuncFilter();
        if (filter != 0) {
            Check(DbiActivateFilter(Handle(), filter));
        }
    };
    activate(exprFilter_, true);
    activate(funcFilter_, false);
}

void TTable::DeactivateFilters() {
    if (funcFilter_ != 0) {
        Check(DbiDeactivateFilter(Handle(), funcFilter_));
    }
    if (exprFilter_ != 0) {
        Check(DbiDeactivateFilter(Handle(), exprFilter_));
    }
}

void TTable::OpenFilters() {
    if (!Filter().empty()) {
        exprFilter_ = MakeExprFilter(Filter());
    }
    if (OnFilterRecord()) {
        funcFilter_ = MakeFuncFilter();
    }
    if (Filtered()) {
        ActivateFilters();
    }
}

void TTable::ChangeExprFilter(int32_t filter) {
    if (Filtered()) {
        CursorPosChanged();
        Check(DbiSetToBegin(Handle()));
        if (filter != 0) {
            const DbiResult result = DbiActivateFilter(Handle(), filter);
            if (result != kOk) {
                DbiDropFilter(Handle(), filter);
                throw EDBEngineError(result);
            }
        }
    }
    if (exprFilter_ != 0) {
        DbiDropFilter(Handle(), exprFilter_);
    }
    exprFilter_ = filter;
}

void TTable::SetFilterText(const std::string& text) {
    if (Active()) {
        CheckBrowseMode();
        if (text != Filter()) {
            ChangeExprFilter(MakeExprFilter(text));
        }
    }
    TDBDataSet::SetFilterText(text);
    if (Active() && Filtered()) {
        First();
    }
}

void TTable::SetFilterOptionsValue(db::TFilterOptions options) {
    TDBDataSet::SetFilterOptionsValue(options);
    if (Active() && Filtered()) {
        First();
    }
}

void TTable::SetFilteredValue(bool value) {
    if (!Active()) {
        TDBDataSet::SetFilteredValue(value);
        return;
    }
    CheckBrowseMode();
    if (value != Filtered()) {
        Check(DbiSetToBegin(Handle()));
        if (value) {
            ActivateFilters();
        } else {
            DeactivateFilters();
        }
        TDBDataSet::SetFilteredValue(value);
    }
    First();
}

void TTable::SetOnFilterRecordValue(TFilterRecordEvent event) {
    if (!Active()) {
        TDBDataSet::SetOnFilterRecordValue(std::move(event));
        return;
    }
    CheckBrowseMode();
    const bool had = static_cast<bool>(OnFilterRecord());
    const bool has = static_cast<bool>(event);
    if (has && !had) {
        const int32_t filter = MakeFuncFilter();
        if (Filtered()) {
            const DbiResult result = DbiActivateFilter(Handle(), filter);
            if (result != kOk) {
                DbiDropFilter(Handle(), filter);
                throw EDBEngineError(result);
            }
        }
        funcFilter_ = filter;
    } else if (had && !has && funcFilter_ != 0) {
        DbiDropFilter(Handle(), funcFilter_);
        funcFilter_ = 0;
    }
    TDBDataSet::SetOnFilterRecordValue(std::move(event));
    if (Filtered()) {
        First();
    }
}

bool TTable::FindRecord(bool restart, bool goForward) {
    CheckBrowseMode();
    DoBeforeScroll();
    UpdateCursorPos();
    CursorPosChanged();
    const bool searchOnly = !Filtered();
    if (searchOnly) {
        ActivateFilters();
    }
    DbiResult result = kOk;
    try {
        if (goForward) {
            if (restart) {
                Check(DbiSetToBegin(Handle()));
            }
            result = DbiGetNextRecord(Handle(), 0, nullptr, nullptr);
        } else {
            if (restart) {
                Check(DbiSetToEnd(Handle()));
            }
            result = DbiGetPriorRecord(Handle(), 0, nullptr, nullptr);
        }
    } catch (...) {
        if (searchOnly) {
            DeactivateFilters();
        }
        throw;
    }
    if (searchOnly) {
        DeactivateFilters();
    }
    if (result != kOk) {
        if (ErrorCategory(result) != ErrorCategory(kEof)) {
            throw EDBEngineError(result);
        }
        return false;
    }
    Resync(db::rmExact | db::rmCenter);
    DoAfterScroll();
    return true;
}

}  // namespace xbase
