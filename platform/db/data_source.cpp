#include "platform/db/data_source.h"

#include <algorithm>

#include "platform/db/data_link.h"
#include "platform/db/data_set.h"

namespace db {

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    OnStateChange = nullptr;
    SetDataSet(nullptr);
    while (!data_links_.empty()) {
        data_links_.back()->SetDataSource(nullptr);
    }
}

void TDataSource::SetDataSet(TDataSet* data_set) {
    if (data_set == data_set_) {
        return;
    }
    if (data_set != nullptr && IsLinkedTo(data_set)) {
        DatabaseError("Circular datalinks are not allowed", this);
    }
    if (data_set_ != nullptr) {
        TDataSet* old = data_set_;
        RemoveFreeNotification(old);
        data_set_ = nullptr;
        old->RemoveDataSource(this);
    }
    if (data_set != nullptr) {
        data_set_ = data_set;
        data_set->FreeNotification(this);
        data_set->AddDataSource(this);
    }
    UpdateState();
}

void TDataSource::DataSetGone() {
    RemoveFreeNotification(data_set_);
    data_set_ = nullptr;
    UpdateState();
}

void TDataSource::SetEnabled(bool value) {
    enabled_ = value;
    UpdateState();
}

void TDataSource::Edit() {
    if (AutoEdit && state_ == dsBrowse && data_set_ != nullptr) {
        data_set_->Edit();
    }
}

bool TDataSource::IsLinkedTo(const TDataSet* data_set) const {
    while (data_set != nullptr) {
        const TDataSource* source = data_set->GetDataSource();
        if (source == nullptr) {
            break;
        }
        if (source == this) {
            return true;
        }
        data_set = source->DataSet();
    }
    return false;
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component != nullptr && component == data_set_) {
        data_set_ = nullptr;
        UpdateState();
    }
}

void TDataSource::DataEvent(TDataEvent event, const TDataEventInfo& info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) {
        return;
    }
    NotifyDataLinks(event, info);
    switch (event) {
        case deFieldChange:
            if (OnDataChange) {
                OnDataChange(*this, info.field);
            }
            break;
        case deRecordChange:
        case deDataSetChange:
        case deDataSetScroll:
        case deLayoutChange:
            if (OnDataChange) {
                OnDataChange(*this, nullptr);
            }
            break;
        case deUpdateRecord:
            if (OnUpdateData) {
                OnUpdateData(*this);
            }
            break;
        default:
            break;
    }
}

void TDataSource::NotifyDataLinks(TDataEvent event, const TDataEventInfo& info) {
    const std::vector<TDataLink*> links = data_links_;
    for (TDataLink* link : links) {
        if (std::find(data_links_.begin(), data_links_.end(), link) != data_links_.end()) {
            link->DataEvent(event, info);
        }
    }
}

void TDataSource::UpdateState() {
    SetState(enabled_ && data_set_ != nullptr ? data_set_->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState state) {
    if (state_ == state) {
        return;
    }
    state_ = state;
    NotifyDataLinks(deUpdateState, {});
    if (OnStateChange) {
        OnStateChange(*this);
    }
}

void TDataSource::AddDataLink(TDataLink* link) {
    data_links_.push_back(link);
    if (data_set_ != nullptr) {
        data_set_->UpdateBufferCount();
    }
}

void TDataSource::RemoveDataLink(TDataLink* link) {
    data_links_.erase(std::remove(data_links_.begin(), data_links_.end(), link), data_links_.end());
    if (data_set_ != nullptr) {
        data_set_->UpdateBufferCount();
    }
}

}  // namespace db
