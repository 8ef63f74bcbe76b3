#include "monitor/book/row_lookup.h"

#include <exception>
#include <utility>

namespace book {

RowLookup::RowLookup(monitor::DirectoryRunner& runner, LookupTable& table, LookupRules& rules,
                     WalkView& view, ui::BeepPort& beep)
    : runner_(runner), table_(table), rules_(rules), view_(view), beep_(beep) {}

bool RowLookup::LookUpCurrent(std::function<void()> done) {
    if (running_ || held_) {
        return false;
    }
    std::optional<RowMark> row;
    std::optional<std::string> number;
    try {
        row = table_.Current();
        if (row) {
            number = table_.NumberAt(*row);
        }
    } catch (const std::exception& error) {
        view_.Failure(error.what());
    }
    if (!number) {
        if (done) {
            done();
        }
        return true;
    }
    return LookUp(*row, *number, std::move(done));
}

bool RowLookup::LookUp(const RowMark& row, const std::string& number, std::function<void()> done) {
    if (running_) {
        return false;
    }
    std::optional<LookupStart> start = rules_.Start(number);
    if (!start) {
        if (done) {
            done();
        }
        return true;
    }
    running_ = true;
    view_.Busy(true);
    if (start->answer) {
        Apply(row, number, *start->answer);
        End(done);
        return true;
    }
    view_.ShowStatus(start->status);
    monitor::DirectoryRequest request = start->request;
    request.owner = alive_;
    request.done = [this, row, number, started = std::move(*start),
                    done = std::move(done)](monitor::DirectoryOutcome outcome) {
        LookupAnswer answer;
        try {
            answer = rules_.Finish(started, outcome);
        } catch (const std::exception& error) {
            view_.Failure(error.what());
        }
        Apply(row, number, answer);
        End(done);
    };
    runner_.Submit(std::move(request));
    return true;
}

void RowLookup::Apply(const RowMark& row, const std::string& number, const LookupAnswer& answer) {
    if (answer.beep) {
        beep_.Beep();
    }
    if (!answer.status.empty()) {
        view_.ShowStatus(answer.status);
    }
    if (answer.write) {
        try {
            table_.Write(row, number, *answer.write);
        } catch (const std::exception& error) {
            view_.Failure(error.what());
        }
    }
    if (!answer.warning.empty()) {
        view_.Warning(answer.warning);
    }
}

void RowLookup::End(const std::function<void()>& done) {
    running_ = false;
    view_.Busy(false);
    if (done) {
        done();
    }
}

}  // namespace book
