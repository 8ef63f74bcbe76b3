#pragma once

#include <functional>
#include <vector>

#include "platform/db/component.h"
#include "platform/db/data_set_types.h"

namespace db {

class TDataLink;
class TDataSet;

// Connects data-aware controls (through their data links) to a data set.
class TDataSource : public TComponent {
  public:
    using TDataChangeEvent = std::function<void(TDataSource&, TField* field)>;
    using TNotifyEvent = std::function<void(TDataSource&)>;

    explicit TDataSource(TComponent* owner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return data_set_; }
    // "Circular datalinks are not allowed" when the data set leads back to this source.
    void SetDataSet(TDataSet* data_set);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    TDataSetState State() const { return state_; }
    // Puts the data set into edit state when AutoEdit allows and it is browsing.
    void Edit();
    // True when the data set's master chain comes back to this source.
    bool IsLinkedTo(const TDataSet* data_set) const;

    bool AutoEdit = true;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

  protected:
    void Notification(TComponent* component, TOperation operation) override;

  private:
    friend class TDataSet;
    friend class TDataLink;

    void DataEvent(TDataEvent event, const TDataEventInfo& info);
    void NotifyDataLinks(TDataEvent event, const TDataEventInfo& info);
    void UpdateState();
    void SetState(TDataSetState state);
    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);
    void DataSetGone();

    TDataSet* data_set_ = nullptr;
    bool enabled_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> data_links_;
};

}  // namespace db
