#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/book/row_answer.h"
#include "monitor/directory_runner.h"
#include "platform/db/data_set_types.h"

namespace book {

// A row of a table, found again after a wait: its bookmark and the table's opening it
// belongs to.
struct RowMark {
    db::TBookmark bookmark;
    std::uint64_t opening = 0;
};

// The table that lookups read numbers from and write answers into.
class LookupTable {
  public:
    virtual ~LookupTable() = default;

    // The table's current opening; 0 while it is closed.
    virtual std::uint64_t Opening() = 0;
    // The current row, after a pending edit was posted; nullopt when the table is closed or
    // shows no row (an edit there would insert a record).
    virtual std::optional<RowMark> Current() = 0;
    // The rows the table shows now, in its order and filter; the current row stays.
    virtual std::vector<RowMark> Rows() = 0;
    // The row's number; nullopt when the row is gone or belongs to another opening.
    virtual std::optional<std::string> NumberAt(const RowMark& row) = 0;
    // Makes the row current; false when it is gone.
    virtual bool MoveTo(const RowMark& row) = 0;
    // Writes the answer into the row and posts it, only when the row is of this opening and
    // still holds `number`; the current row stays where it is. False when nothing was written.
    virtual bool Write(const RowMark& row, std::string_view number, const EntryAnswer& answer) = 0;
};

// What a window shows of its lookups.
class WalkView {
  public:
    virtual ~WalkView() = default;

    // A lookup or batch runs: the hourglass, the lookup commands disabled. Nested calls count.
    virtual void Busy(bool on) = 0;
    // The status label, repainted at once.
    virtual void ShowStatus(const std::string& text) = 0;
    // A warning that does not hold the lookup up.
    virtual void Warning(const std::string& text) = 0;
    // A step that failed with an exception.
    virtual void Failure(const std::string& text) = 0;
    // The batch's cancel button shown or hidden.
    virtual void BatchRunning(bool on) = 0;
    // Runs `work` from the event loop, after the events that are waiting.
    virtual void Later(std::function<void()> work) = 0;
};

// What a lookup's outcome does.
struct LookupAnswer {
    std::optional<EntryAnswer> write;  // nullopt: the row is left as it is
    std::string status;                // the status label; empty keeps it
    bool beep = false;
    std::string warning;  // shown when not empty, after the rest
};

// How a lookup begins for a number.
struct LookupStart {
    std::string status;                  // shown while the program runs
    std::optional<LookupAnswer> answer;  // answered at once; the program does not run
    monitor::DirectoryRequest request;   // owner and completion are the walker's
};

// A window's own lookup: what it runs for a number and what the outcome means.
class LookupRules {
  public:
    virtual ~LookupRules() = default;
    // nullopt: the number is not looked up and nothing changes.
    virtual std::optional<LookupStart> Start(const std::string& number) = 0;
    // The outcome of the program run for `start`.
    virtual LookupAnswer Finish(const LookupStart& start, monitor::DirectoryOutcome outcome) = 0;
};

}  // namespace book
