#include "xbase/xbase_component.h"

#include <cstddef>

#include "platform/db/data_set.h"
#include "platform/db/data_source.h"
#include "platform/db/database_error.h"
#include "platform/rtl/text_encoding.h"
#include "xbase/c_string_list.h"
#include "xbase/component_engine.h"

namespace xbase {

namespace {

int32_t EngineBool(bool on) {
    return on ? -1 : 0;
}

db::TComponent* StringTypeFirst(db::TComponent* owner) {
    ComponentEngine().sx_SetStringType(1);
    return owner;
}

// The data set's own cursor sync, which the changing operations need before they move the
// engine's record pointer behind the data set's back.
struct CursorAccess : db::TDataSet {
    static void UpdateCursorPosOf(db::TDataSet& dataSet) {
        (dataSet.*(&CursorAccess::UpdateCursorPos))();
    }
};

bool HasExtension(const std::string& name) {
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

const char* ExtensionOf(XbaseDriver driver) {
    switch (driver) {
        case XbaseDriver::Ntx:
            return ".NTX";
        case XbaseDriver::Fox:
            return ".IDX";
        case XbaseDriver::Nsx:
            return ".NSX";
        case XbaseDriver::Other:
            break;
    }
    return "";
}

std::string Text(const char* engineText) {
    return engineText == nullptr ? std::string() : std::string(engineText);
}

}  // namespace

// The select step on construction and the restore step on destruction. The area to restore
// is kept per step, so an operation that runs others inside still restores the area that was
// current when it began.
class TXbase::Step {
  public:
    explicit Step(TXbase& owner) : engine_(ComponentEngine()) {
        owner.FollowSource();
        if (XbaseTable* table = owner.OpenTable()) {
            area_ = table->WorkArea();
            saved_ = engine_.sx_Select(area_);
        } else {
            saved_ = engine_.sx_WorkArea(nullptr);
        }
    }
    ~Step() {
        if (saved_ != 0 && saved_ != area_) {
            engine_.sx_Select(saved_);
        }
    }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

    const EngineApi& Engine() const { return engine_; }

  private:
    const EngineApi& engine_;
    int32_t area_ = 0;
    int32_t saved_ = 0;
};

void TXbaseDataLink::ActiveChanged() {
    xbase_.LinkActiveChanged();
}

TXbase::TXbase(db::TComponent* owner) : db::TComponent(StringTypeFirst(owner)), link_(*this) {}

TXbase::~TXbase() {
    link_.SetDataSource(nullptr);
}

void TXbase::SetDataSource(db::TDataSource* source) {
    link_.SetDataSource(source);
    TakeDataSet(source != nullptr ? source->DataSet() : nullptr);
}

void TXbase::TakeDataSet(db::TDataSet* dataSet) {
    if (data_set_ == dataSet) {
        return;
    }
    if (data_set_ != nullptr) {
        RemoveFreeNotification(data_set_);
    }
    data_set_ = dataSet;
    table_ = XbaseTableOf(dataSet);
    if (data_set_ != nullptr) {
        FreeNotification(data_set_);
    }
}

void TXbase::Notification(db::TComponent* component, db::TOperation operation) {
    db::TComponent::Notification(component, operation);
    if (operation == db::opRemove && component == data_set_) {
        data_set_ = nullptr;
        table_.reset();
    }
}

XbaseTable* TXbase::OpenTable() {
    if (data_set_ == nullptr || table_ == nullptr || !data_set_->Active() ||
        table_->WorkArea() == 0) {
        return nullptr;
    }
    return table_.get();
}

// The source may have been given another data set while both were open, which its link
// does not report.
void TXbase::FollowSource() {
    if (DataSource() != nullptr) {
        TakeDataSet(DataSource()->DataSet());
    }
}

bool TXbase::DataSetActive() {
    FollowSource();
    return OpenTable() != nullptr;
}

void TXbase::LinkActiveChanged() {
    TakeDataSet(link_.DataSet());
    if (!DataSetActive()) {
        return;
    }
    if (!filter_.empty()) {
        Query(filter_);
    }
    if (extra_indexes_.Count() > 0) {
        OpenExtraIndexes();
    }
}

void TXbase::SetExtraIndexes(const rtl::TStringList& names) {
    extra_indexes_ = names;
    if (DataSetActive()) {
        OpenExtraIndexes();
    }
}

void TXbase::OpenExtraIndexes() {
    Step step(*this);
    XbaseTable* table = OpenTable();
    if (table == nullptr) {
        return;
    }
    int order = step.Engine().sx_IndexOrd();
    SetOrderInScope(0);
    for (const std::string& listed : extra_indexes_.Items()) {
        std::string name = listed;
        if (!HasExtension(name)) {
            name += ExtensionOf(table->Driver());
        }
        const int opened = IndexOpen(name);
        if (order == 0) {
            order = opened;
        }
    }
    SetOrderInScope(order);
}

void TXbase::BeginChange() {
    data_set_->CheckBrowseMode();
    CursorAccess::UpdateCursorPosOf(*data_set_);
}

void TXbase::EndChange() {
    data_set_->Refresh();
}

void TXbase::Refused(const char* operation) {
    const std::string reason = Text(ComponentEngine().sx_LastErrorText());
    db::DatabaseError(std::string(operation) + " refused" + (reason.empty() ? "" : ": " + reason),
                      this);
}

void TXbase::SetTurboRead(bool on) {
    Step step(*this);
    step.Engine().sx_SetTurboRead(EngineBool(on));
    turbo_read_ = on;
}

int TXbase::Count() {
    Step step(*this);
    return OpenTable() != nullptr ? step.Engine().sx_Count() : 0;
}

int TXbase::RecSize() {
    Step step(*this);
    return OpenTable() != nullptr ? step.Engine().sx_RecSize() : 0;
}

int TXbase::IndexOrd() {
    Step step(*this);
    return OpenTable() != nullptr ? step.Engine().sx_IndexOrd() : 0;
}

std::string TXbase::TagName(int order) {
    Step step(*this);
    return OpenTable() != nullptr ? Text(step.Engine().sx_TagName(order)) : std::string();
}

intptr_t TXbase::SysProp(int32_t code, intptr_t value) {
    Step step(*this);
    return step.Engine().sx_SysProp(code, value);
}

void TXbase::CloseIndexes() {
    Step step(*this);
    if (OpenTable() != nullptr) {
        step.Engine().sx_CloseIndexes();
    }
}

void TXbase::Commit() {
    Step step(*this);
    if (OpenTable() == nullptr) {
        return;
    }
    if (data_set_->State() == db::dsEdit || data_set_->State() == db::dsInsert) {
        data_set_->Post();
    }
    step.Engine().sx_Commit();
}

void TXbase::Pack() {
    Step step(*this);
    if (OpenTable() == nullptr) {
        db::DatabaseError("Cannot perform this operation on a closed dataset", this);
    }
    BeginChange();
    if (step.Engine().sx_Pack() == 0) {
        Refused("Pack");
    }
    EndChange();
}

void TXbase::Zap() {
    Step step(*this);
    if (OpenTable() == nullptr) {
        db::DatabaseError("Cannot perform this operation on a closed dataset", this);
    }
    BeginChange();
    if (step.Engine().sx_Zap() == 0) {
        Refused("Zap");
    }
    EndChange();
}

void TXbase::Reindex() {
    Step step(*this);
    if (OpenTable() == nullptr) {
        return;
    }
    BeginChange();
    if (step.Engine().sx_Reindex() == 0) {
        Refused("Reindex");
    }
    EndChange();
}

int TXbase::Query(const std::string& expression) {
    filter_ = expression;
    if (!DataSetActive()) {
        return 0;
    }
    Step step(*this);
    BeginChange();
    const int result = step.Engine().sx_Query(rtl::Utf8ToCp1252(expression).c_str());
    EndChange();
    return result;
}

void TXbase::SetFilterExpr(const std::string& expression) {
    filter_ = expression;
    if (!DataSetActive()) {
        return;
    }
    Step step(*this);
    BeginChange();
    TCStringList texts;
    texts.Add(rtl::Utf8ToCp1252(expression));
    step.Engine().sx_SetFilter(texts.Items(0));
    EndChange();
}

int TXbase::SetOrderInScope(int order) {
    const int previous = ComponentEngine().sx_SetOrder(order);
    table_->SetIndexName(TagName(order));
    return previous;
}

int TXbase::SetOrder(int order) {
    Step step(*this);
    return OpenTable() != nullptr ? SetOrderInScope(order) : 0;
}

int TXbase::IndexOpen(const std::string& fileName) {
    Step step(*this);
    XbaseTable* table = OpenTable();
    if (table == nullptr) {
        return 0;
    }
    TCStringList texts;
    texts.Add(fileName);
    const int order = step.Engine().sx_IndexOpen(texts.Items(0));
    if (order != 0) {
        table->SetIndexName(TagName(order));
        table->ReadIndexDefs();
        data_set_->Refresh();
    }
    return order;
}

int TXbase::Index(const std::string& fileName, const std::string& key, int16_t option,
                  bool descending, const std::string& condition) {
    Step step(*this);
    XbaseTable* table = OpenTable();
    if (table == nullptr) {
        return 0;
    }
    BeginChange();
    TCStringList texts;
    texts.Add(fileName);
    texts.Add(rtl::Utf8ToCp1252(key));
    texts.Add(rtl::Utf8ToCp1252(condition));
    const int order = step.Engine().sx_Index(texts.Items(0), texts.Items(1), option,
                                             EngineBool(descending), texts.Items(2));
    if (order != 0) {
        table->ReadIndexDefs();
        table->SetIndexName(TagName(order));
    }
    EndChange();
    return order;
}

std::string TXbase::FilterDlg(intptr_t window, const std::string& expression,
                              const std::string& caption, bool flag) {
    Step step(*this);
    if (OpenTable() == nullptr) {
        return expression;
    }
    TCStringList texts;
    texts.Add(rtl::Utf8ToCp1252(expression));
    texts.Add(rtl::Utf8ToCp1252(caption));
    return rtl::Cp1252ToUtf8(
        Text(step.Engine().sx_FilterDlg(window, texts.Items(0), texts.Items(1), EngineBool(flag))));
}

bool TXbase::CopyFileText(const std::string& fileName, int32_t kind) {
    Step step(*this);
    if (OpenTable() == nullptr) {
        return false;
    }
    return step.Engine().sx_CopyFileText(fileName.c_str(), kind) != 0;
}

}  // namespace xbase
