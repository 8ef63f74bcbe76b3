// The table: its name, type and driver, the open sequence, index orders and files, the
// master link and emptying.

#include "xbase/table.h"

#include <algorithm>
#include <cstring>

#include "platform/db/data_source.h"
#include "platform/db/exception_handler.h"
#include "platform/db/field.h"
#include "platform/rtl/string_list.h"
#include "xbase/db_errors.h"
#include "xbase/field_mapping.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr int32_t kOpenReadWrite = 0;
constexpr int32_t kOpenReadOnly = 1;
constexpr int32_t kShareShared = 0;
constexpr int32_t kShareExclusive = 1;
constexpr int32_t kTranslateLogical = 2;

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::string FilePart(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// Holds a database flag for the time of a piece of work on a closed table.
class TTable::DBFlagScope {
  public:
    DBFlagScope(TTable& table, TDBFlag flag) : table_(table), flag_(flag) {
        table_.SetDBFlag(flag_, true);
    }
    ~DBFlagScope() {
        try {
            table_.SetDBFlag(flag_, false);
        } catch (...) {
            db::HandleException();
        }
    }
    DBFlagScope(const DBFlagScope&) = delete;
    DBFlagScope& operator=(const DBFlagScope&) = delete;

  private:
    TTable& table_;
    TDBFlag flag_;
};

TTable::TTable(db::TComponent* owner) : TDBDataSet(owner), masterLink_(this), indexFiles_(*this) {
    masterLink_.OnMasterChange = [this] { MasterChanged(); };
    masterLink_.OnMasterDisable = [this] { MasterDisabled(); };
}

TTable::~TTable() {
    try {
        Close();
    } catch (...) {
        db::HandleException();
    }
    masterLink_.SetDataSource(nullptr);
}

// Properties

void TTable::SetExclusive(bool value) {
    CheckInactive();
    exclusive_ = value;
}

void TTable::SetReadonly(bool value) {
    CheckInactive();
    readOnly_ = value;
}

void TTable::SetTableType(TTableType value) {
    CheckInactive();
    tableType_ = value;
}

void TTable::SetTableName(const std::string& value) {
    CheckInactive();
    if (value == tableName_) {
        return;
    }
    if (!Loading()) {
        indexFiles_.Clear();
    }
    tableName_ = value;
    DataEvent(db::dePropertyChange);
}

void TTable::DataEvent(db::TDataEvent event, const db::TDataEventInfo& info) {
    if (event == db::dePropertyChange) {
        indexDefs_.SetUpdated(false);
    }
    TDBDataSet::DataEvent(event, info);
}

std::string TTable::DriverName() const {
    return DriverNameOf(tableType_, tableName_);
}

bool TTable::IsEngineDriver() const {
    const std::string driver = DriverName();
    return driver == "SXNTX" || driver == "SXFOX" || driver == "SXNSX";
}

bool TTable::GetCanModify() {
    return TDBDataSet::GetCanModify() && !readOnly_;
}

void TTable::SetMasterSource(db::TDataSource* source) {
    for (const db::TDataSource* s = source; s != nullptr;) {
        const db::TDataSet* set = s->DataSet();
        if (set == this) {
            db::DatabaseError("Circular datalinks are not allowed", this);
        }
        s = set != nullptr ? set->GetDataSource() : nullptr;
    }
    masterLink_.SetDataSource(source);
}

// Opening

CursorHandle TTable::OpenHandle(const IndexParams& index) {
    int32_t openMode =
        readOnly_ || (CachedUpdates() && (OnUpdateRecord || UpdateObject() != nullptr))
            ? kOpenReadOnly
            : kOpenReadWrite;
    const int32_t shareMode = exclusive_ ? kShareExclusive : kShareShared;
    const std::string driver = DriverName();
    bool readOnlyTried = openMode == kOpenReadOnly;
    for (;;) {
        CursorHandle handle = 0;
        const DbiResult result =
            OpenTableArea(driver, index.indexName, index.tagName, openMode, shareMode, &handle);
        // A file the layer will only read opens read-only, once; a second refusal stands.
        if (result == kReadOnly && !readOnlyTried) {
            openMode = kOpenReadOnly;
            readOnlyTried = true;
            continue;
        }
        if (!CheckOpen(result)) {
            return handle;
        }
    }
}

DbiResult TTable::OpenTableArea(const std::string& driver, const std::string& indexName,
                                const std::string& tagName, int32_t openMode, int32_t shareMode,
                                CursorHandle* handle) {
    return DbiOpenTableArea(DBHandle(), tableName_.c_str(), driver.c_str(), indexName.c_str(),
                            tagName.c_str(), 0, openMode, shareMode, kTranslateLogical, false,
                            nullptr, handle);
}

CursorHandle TTable::CreateHandle() {
    if (tableName_.empty()) {
        db::DatabaseError("Missing TableName property", this);
    }
    indexDefs_.SetUpdated(false);
    IndexParams index = GetIndexParams(indexText_, fieldsIndex_);
    if (!IsProductionIndex(index.indexName)) {
        index = {};
    }
    CursorHandle handle = OpenHandle(index);
    if (IsXBase()) {
        for (int i = 0; i < indexFiles_.Count(); ++i) {
            const DbiResult result = DbiOpenIndex(handle, indexFiles_[i].c_str(), 0);
            if (result != kOk) {
                DbiCloseTable(&handle);
                throw EDBEngineError(result);
            }
        }
    }
    return handle;
}

void TTable::DestroyHandle() {
    DbiRelRecordLock(Handle(), false);
    TDBDataSet::DestroyHandle();
}

void TTable::PrepareCursor() {
    const IndexParams index = GetIndexParams(indexText_, fieldsIndex_);
    if (!IsProductionIndex(index.indexName)) {
        SwitchToIndex(index.indexName, index.tagName);
    }
    if (masterLink_.Active() && !masterLink_.Fields().empty()) {
        LinkRanges(masterLink_.Fields());
        SetCursorRange();
    }
}

void TTable::InternalInitFieldDefs() {
    if (HasHandle()) {
        TDBDataSet::InternalInitFieldDefs();
        return;
    }
    if (tableName_.empty()) {
        db::DatabaseError("Missing TableName property", this);
    }
    DBFlagScope scope(*this, dbfFieldList);
    const std::string driver = DriverName();
    CursorHandle list = 0;
    while (
        CheckOpen(DbiOpenFieldList(DBHandle(), tableName_.c_str(), driver.c_str(), false, &list))) {
    }
    std::vector<FieldDescriptor> rows;
    FieldDescriptor row;
    while (PseudoCursorNextRow(list, &row) == kOk) {
        rows.push_back(row);
        row = {};
    }
    DbiCloseTable(&list);
    FieldDefs().Clear();
    AddFieldDefs(FieldDefs(), rows);
}

// Index orders

TTable::IndexParams TTable::GetIndexParams(const std::string& text, bool fieldsIndex) {
    if (text.empty()) {
        return {};
    }
    std::string name = text;
    if (fieldsIndex) {
        UpdateIndexDefs();
        name = indexDefs_.GetForFields(text, false).name;
    }
    if (IsXBase() && Upper(ExtensionOf(name)) != ".NDX") {
        if (IsEngineType(tableType_)) {
            // The layer's index switch decides what the name means.
            return {name, name};
        }
        UpdateIndexDefs();
        const TIndexDef* def = indexDefs_.Find(name);
        if (def == nullptr) {
            db::DatabaseError("Index does not exist. Index: " + text, this);
        }
        return {def->source, name};
    }
    return {name, ""};
}

void TTable::SetIndex(const std::string& text, bool fieldsIndex) {
    if (Active()) {
        CheckBrowseMode();
    }
    if (text == indexText_ && fieldsIndex == fieldsIndex_) {
        return;
    }
    if (Active()) {
        const IndexParams index = GetIndexParams(text, fieldsIndex);
        SwitchToIndex(index.indexName, index.tagName);
        if (masterLink_.Active() && !masterLink_.Fields().empty()) {
            LinkRanges(masterLink_.Fields());
            SetCursorRange();
        }
    }
    indexText_ = text;
    fieldsIndex_ = fieldsIndex;
    if (Active()) {
        Resync(0);
    }
}

void TTable::SetIndexName(const std::string& value) {
    SetIndex(value, false);
}

void TTable::SetIndexFieldNames(const std::string& value) {
    SetIndex(value, !value.empty());
}

void TTable::UpdateIndexDefs() {
    if (indexDefs_.Updated()) {
        return;
    }
    DBFlagScope scope(*this, dbfIndexList);
    FieldDefs().Update();
    CursorHandle handle = Handle();
    const bool own = handle == 0;
    if (own) {
        handle = OpenHandle({});
    }
    std::vector<IndexDescriptor> descriptors;
    const DbiResult result = DbiGetIndexDescs(handle, &descriptors);
    if (own) {
        DbiCloseTable(&handle);
    }
    Check(result);
    indexDefs_.Clear();
    for (const IndexDescriptor& d : descriptors) {
        TIndexDef def;
        if (!d.tagName.empty()) {
            def.name = d.tagName;
            def.source = FilePart(d.indexName);
        } else {
            def.name = FilePart(d.indexName);
        }
        def.options = (d.unique ? ixUnique : 0) | (d.descending ? ixDescending : 0) |
                      (d.caseInsensitive ? ixCaseInsensitive : 0);
        if (d.expressionIndex) {
            def.options |= ixExpression;
            def.fields = d.keyExpression;
        } else {
            for (uint16_t number : d.keyFields) {
                for (int i = 0; i < FieldDefs().Count(); ++i) {
                    if (FieldDefs()[i].FieldNo() == number) {
                        if (!def.fields.empty()) {
                            def.fields += ';';
                        }
                        def.fields += FieldDefs()[i].Name();
                    }
                }
            }
        }
        indexDefs_.Add(std::move(def));
    }
    indexDefs_.SetUpdated(true);
}

// Index files

int TIndexFiles::Add(std::string name) {
    const int index = list_.Add(std::move(name));
    Opened(list_[index]);
    return index;
}

void TIndexFiles::Insert(int index, std::string name) {
    list_.Insert(index, std::move(name));
    Opened(list_[index]);
}

void TIndexFiles::Delete(int index) {
    const std::string name = list_.Strings(index);
    Closing(name);
    list_.Delete(index);
    owner_.indexDefs_.SetUpdated(false);
}

void TIndexFiles::Clear() {
    for (int i = 0; i < list_.Count(); ++i) {
        Closing(list_[i]);
    }
    list_.Clear();
}

void TIndexFiles::Opened(const std::string& name) {
    if (owner_.Active()) {
        Check(DbiOpenIndex(owner_.Handle(), name.c_str(), 0));
    }
    owner_.indexDefs_.SetUpdated(false);
}

void TIndexFiles::Closing(const std::string& name) {
    if (!owner_.Active()) {
        return;
    }
    if (Upper(FilePart(name)) == Upper(FilePart(owner_.IndexName())) &&
        !owner_.IndexName().empty()) {
        owner_.SetIndexName("");
    }
    Check(DbiCloseIndex(owner_.Handle(), name.c_str(), 0));
}

// Emptying

void TTable::EmptyTable() {
    if (Active()) {
        CheckBrowseMode();
        Check(DbiEmptyTable(DBHandle(), Handle(), nullptr, nullptr));
        First();
        return;
    }
    DBFlagScope scope(*this, dbfTable);
    const std::string driver = DriverName();
    Check(DbiEmptyTable(DBHandle(), 0, tableName_.c_str(), driver.c_str()));
}

// New records of a detail start with the master's key.

void TTable::DoOnNewRecord() {
    if (masterLink_.Active() && !masterLink_.Fields().empty()) {
        const std::vector<db::TField*>& master = masterLink_.Fields();
        const int count = std::min(static_cast<int>(master.size()), IndexFieldCount());
        for (int i = 0; i < count; ++i) {
            IndexFields(i).SetValue(master[static_cast<std::size_t>(i)]->Value());
        }
    }
    TDBDataSet::DoOnNewRecord();
}

}  // namespace xbase
