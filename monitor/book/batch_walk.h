#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/row_lookup.h"

namespace book {

// Where a batch leaves the cursor. Finished, the last row for both of the last two; cancelled,
// the row in hand or the one after it.
enum class BatchCursor { AsLeft, RowInHand, RowAfter };

// A batch's own steps and texts.
struct BatchPlan {
    std::function<void()> before;                   // before the rows are taken (an order)
    std::function<bool(const RowMark&)> qualifies;  // empty: every row is looked up
    std::function<void()> after;                    // after the end (the order back)
    std::string cancelled;                          // end text after a cancel
    std::string finished;                           // end text after the last row
    BatchCursor cursor = BatchCursor::AsLeft;
};

// Looks up, one after another, the rows the table shows when the batch starts. Each step runs
// from the event loop, so the cancel button and calls are handled between and during rows. A
// cancel is seen after the row in hand; a table closed since the start ends the batch as
// cancelled, since its record numbers may name other entries now.
class BatchWalk {
  public:
    BatchWalk(LookupTable& table, RowLookup& lookup, WalkView& view);
    // Lets go of the lookup; `lookup` must outlive the batch.
    ~BatchWalk();
    BatchWalk(const BatchWalk&) = delete;
    BatchWalk& operator=(const BatchWalk&) = delete;

    bool Running() const { return running_; }

    // False, and nothing happens, while a batch or a lookup runs or the table shows no row.
    bool Start(BatchPlan plan, std::function<void()> done = {});
    void Cancel() { cancel_ = true; }

  private:
    void Step();
    void Next();
    void End(bool cancelled);
    void PlaceCursor(bool cancelled);

    LookupTable& table_;
    RowLookup& lookup_;
    WalkView& view_;
    BatchPlan plan_;
    std::function<void()> done_;
    std::vector<RowMark> rows_;
    std::size_t next_ = 0;
    std::uint64_t opening_ = 0;
    bool running_ = false;
    bool cancel_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace book
