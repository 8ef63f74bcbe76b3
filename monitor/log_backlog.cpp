#include "monitor/log_backlog.h"

#include <exception>
#include <utility>

namespace monitor {

std::string LogBacklog::CannotWrite(LogFault fault, const std::string& reason) {
    const std::string start = "Het logboek kan niet worden bijgewerkt";
    switch (fault) {
        case LogFault::DiskFull:
            return start +
                   ": de schijf is vol. De oproepen worden bewaard en in het logboek gezet "
                   "zodra er weer ruimte is.";
        case LogFault::ReadOnly:
            return start +
                   ": de map van het logboek is alleen-lezen. De oproepen worden bewaard en in "
                   "het logboek gezet zodra er weer in geschreven kan worden.";
        case LogFault::Other:
            break;
    }
    return start + (reason.empty() ? std::string() : " (" + reason + ")") +
           ". De oproepen worden bewaard en in het logboek gezet zodra dat weer lukt.";
}

std::string LogBacklog::WritesAgain(std::size_t saved) {
    return "Het logboek wordt weer bijgewerkt: " + std::to_string(saved) +
           (saved == 1 ? " bewaarde oproep is" : " bewaarde oproepen zijn") +
           " alsnog in het logboek gezet.";
}

std::optional<std::string> LogBacklog::Write(const telefoonrecordtype& beller, bool meteenopslaan) {
    waiting_.push_back(Row{beller, meteenopslaan});
    return Flush();
}

std::optional<std::string> LogBacklog::Retry() {
    return waiting_.empty() ? std::nullopt : Flush();
}

std::optional<std::string> LogBacklog::Flush() {
    while (!waiting_.empty()) {
        LogFault fault = LogFault::Other;
        std::string reason;
        try {
            log_.Append(waiting_.front().beller, waiting_.front().meteenopslaan);
            if (waiting_.front().kept) {
                ++saved_;
            }
            waiting_.pop_front();
            continue;
        } catch (const LogRefused& e) {
            fault = e.Fault();
            reason = e.what();
        } catch (const std::exception& e) {
            reason = e.what();
        } catch (...) {
        }
        // The row waits where it is, and everything after it behind it.
        for (Row& row : waiting_) {
            row.kept = true;
        }
        if (told_ == fault) {
            return std::nullopt;
        }
        told_ = fault;
        return CannotWrite(fault, reason);
    }
    if (!told_) {
        return std::nullopt;
    }
    told_.reset();
    return WritesAgain(std::exchange(saved_, 0));
}

}  // namespace monitor
