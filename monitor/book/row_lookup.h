#pragma once

#include <functional>
#include <memory>
#include <string>

#include "monitor/book/lookup_walk_ports.h"
#include "platform/ui/beep_port.h"

namespace book {

// Looks up one row through the directory runner without waiting: the answer is written in the
// runner's completion, into the row the lookup started for, and posted. One lookup at a time;
// no completion runs after this object is gone.
class RowLookup {
  public:
    RowLookup(monitor::DirectoryRunner& runner, LookupTable& table, LookupRules& rules,
              WalkView& view, ui::BeepPort& beep);
    RowLookup(const RowLookup&) = delete;
    RowLookup& operator=(const RowLookup&) = delete;

    bool Running() const { return running_; }
    // A batch holds the lookup from its start to its end, so that no lookup of the current
    // row slips in between two of its rows.
    void Hold(bool on) { held_ = on; }
    bool Held() const { return held_; }

    // Looks up the current row; `done` runs when the lookup has ended, at once when nothing
    // was looked up. False, and no `done`, while another lookup runs or a batch holds it.
    bool LookUpCurrent(std::function<void()> done = {});
    // Looks up `row`, whose number is `number`; false while another lookup runs.
    bool LookUp(const RowMark& row, const std::string& number, std::function<void()> done = {});

  private:
    void Apply(const RowMark& row, const std::string& number, const LookupAnswer& answer);
    void End(const std::function<void()>& done);

    monitor::DirectoryRunner& runner_;
    LookupTable& table_;
    LookupRules& rules_;
    WalkView& view_;
    ui::BeepPort& beep_;
    bool running_ = false;
    bool held_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace book
