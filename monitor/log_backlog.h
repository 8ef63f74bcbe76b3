#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "monitor/call_road_ports.h"

namespace monitor {

// The call log's rows that it could not take yet, kept in call order and written, each once,
// as soon as it takes writes again: before the next call's row and whenever Retry is asked.
// Says once why the log cannot be written and once when it can again; what to say is
// returned, for the caller to show. Main thread only; nothing here waits.
class LogBacklog {
  public:
    explicit LogBacklog(RoadCallLog& log) : log_(log) {}

    // Writes the rows still waiting, then this call's; what cannot be written waits.
    // Returns the notice to show now, if any.
    std::optional<std::string> Write(const telefoonrecordtype& beller, bool meteenopslaan);
    // Writes the rows still waiting.
    std::optional<std::string> Retry();

    std::size_t Waiting() const { return waiting_.size(); }

    // The notices, in Dutch.
    static std::string CannotWrite(LogFault fault, const std::string& reason);
    static std::string WritesAgain(std::size_t saved);

  private:
    struct Row {
        telefoonrecordtype beller;
        bool meteenopslaan = false;
        bool kept = false;  // refused once already
    };
    std::optional<std::string> Flush();

    RoadCallLog& log_;
    std::deque<Row> waiting_;
    std::optional<LogFault> told_;  // the fault last told while rows wait
    std::size_t saved_ = 0;         // kept rows written since the fault was told
};

}  // namespace monitor
