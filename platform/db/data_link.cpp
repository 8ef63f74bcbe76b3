#include "platform/db/data_link.h"

#include <algorithm>

#include "platform/db/data_set.h"
#include "platform/db/data_source.h"

namespace db {

TDataLink::~TDataLink() {
    if (data_source_ != nullptr) {
        TDataSource* source = data_source_;
        data_source_ = nullptr;
        source->RemoveDataLink(this);
    }
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == data_source_) {
        return;
    }
    if (data_source_ != nullptr) {
        TDataSource* old = data_source_;
        data_source_ = nullptr;
        old->RemoveDataLink(this);
    }
    data_source_ = source;
    if (source != nullptr) {
        source->AddDataLink(this);
    }
    UpdateState();
}

TDataSet* TDataLink::DataSet() const {
    return data_source_ != nullptr ? data_source_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool value) {
    if (read_only_ != value) {
        read_only_ = value;
        UpdateState();
    }
}

int TDataLink::ActiveRecord() const {
    if (!active_) {
        return 0;
    }
    return DataSet()->active_record_ - first_record_;
}

void TDataLink::SetActiveRecord(int value) {
    if (active_) {
        DataSet()->SetActiveRecordIndex(value + first_record_);
    }
}

void TDataLink::SetBufferCount(int value) {
    value = std::max(1, value);
    if (buffer_count_ == value) {
        return;
    }
    buffer_count_ = value;
    if (active_) {
        UpdateRange(0);
        DataSet()->UpdateBufferCount();
        UpdateRange(0);
    }
}

int TDataLink::RecordCount() const {
    if (!active_) {
        return 0;
    }
    return std::max(0, std::min(buffer_count_, DataSet()->record_count_ - first_record_));
}

bool TDataLink::Edit() {
    if (!read_only_ && data_source_ != nullptr) {
        data_source_->Edit();
    }
    return editing_;
}

void TDataLink::UpdateRecord() {
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

int TDataLink::UpdateRange(int ring_shift) {
    const TDataSet* data_set = DataSet();
    const int old_first = first_record_ - ring_shift;
    int first = old_first;
    const int active = data_set->active_record_;
    const int rows = data_set->record_count_;
    if (first + buffer_count_ > rows) {
        first = rows - buffer_count_;
    }
    if (active >= first + buffer_count_) {
        first = active - buffer_count_ + 1;
    }
    if (active < first) {
        first = active;
    }
    first = std::max(0, first);
    first_record_ = first;
    return first - old_first;
}

void TDataLink::UpdateState() {
    const TDataSetState state = data_source_ != nullptr ? data_source_->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing((state == dsEdit || state == dsInsert || state == dsSetKey) && !read_only_);
}

void TDataLink::SetActive(bool value) {
    if (active_ == value) {
        return;
    }
    active_ = value;
    if (value) {
        UpdateRange(0);
    } else {
        first_record_ = 0;
    }
    ActiveChanged();
}

void TDataLink::SetEditing(bool value) {
    if (editing_ != value) {
        editing_ = value;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent event, const TDataEventInfo& info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_) {
        return;
    }
    switch (event) {
        case deFieldChange:
        case deRecordChange:
            if (!updating_) {
                RecordChanged(info.field);
            }
            break;
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange: {
            int moved = 0;
            if (data_source_->State() != dsSetKey) {
                moved = UpdateRange(event == deDataSetScroll ? info.distance : 0);
            }
            if (event == deDataSetChange) {
                DataSetChanged();
            } else if (event == deDataSetScroll) {
                DataSetScrolled(moved);
            } else {
                LayoutChanged();
            }
            break;
        }
        case deUpdateRecord:
            UpdateRecord();
            break;
        case deCheckBrowseMode:
            CheckBrowseMode();
            break;
        case deFocusControl:
            FocusControl(info.field);
            break;
        default:
            break;
    }
}

void TMasterDataLink::SetFieldNames(const std::string& names) {
    if (field_names_ != names) {
        field_names_ = names;
        ActiveChanged();
    }
}

void TMasterDataLink::ActiveChanged() {
    fields_.clear();
    if (Active()) {
        try {
            fields_ = DataSet()->GetFieldList(field_names_);
        } catch (...) {
            fields_.clear();
            throw;
        }
    }
    if (detail_ != nullptr && detail_->Active() && !detail_->Destroying()) {
        if (Active() && !fields_.empty()) {
            if (OnMasterChange) {
                OnMasterChange();
            }
        } else if (OnMasterDisable) {
            OnMasterDisable();
        }
    }
}

void TMasterDataLink::CheckBrowseMode() {
    if (detail_ != nullptr && detail_->Active()) {
        detail_->CheckBrowseMode();
    }
}

void TMasterDataLink::RecordChanged(TField* field) {
    if (DataSource()->State() != dsSetKey && detail_ != nullptr && detail_->Active() &&
        !fields_.empty() &&
        (field == nullptr || std::find(fields_.begin(), fields_.end(), field) != fields_.end())) {
        if (OnMasterChange) {
            OnMasterChange();
        }
    }
}

}  // namespace db
