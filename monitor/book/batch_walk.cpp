#include "monitor/book/batch_walk.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace book {

BatchWalk::BatchWalk(LookupTable& table, RowLookup& lookup, WalkView& view)
    : table_(table), lookup_(lookup), view_(view) {}

BatchWalk::~BatchWalk() {
    if (running_) {
        lookup_.Hold(false);
    }
}

bool BatchWalk::Start(BatchPlan plan, std::function<void()> done) {
    if (running_ || lookup_.Running() || lookup_.Held()) {
        return false;
    }
    try {
        if (!table_.Current()) {
            return false;
        }
        plan_ = std::move(plan);
        if (plan_.before) {
            plan_.before();
        }
        rows_ = table_.Rows();
        opening_ = table_.Opening();
    } catch (const std::exception& error) {
        view_.Failure(error.what());
        return false;
    }
    done_ = std::move(done);
    next_ = 0;
    cancel_ = false;
    running_ = true;
    lookup_.Hold(true);
    view_.Busy(true);
    view_.BatchRunning(true);
    Next();
    return true;
}

void BatchWalk::Next() {
    view_.Later([this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.expired()) {
            Step();
        }
    });
}

void BatchWalk::Step() {
    if (cancel_ || table_.Opening() != opening_) {
        End(true);
        return;
    }
    if (next_ >= rows_.size()) {
        End(false);
        return;
    }
    const RowMark row = rows_[next_++];
    std::optional<std::string> number;
    try {
        number = table_.NumberAt(row);
        if (number && plan_.qualifies && !plan_.qualifies(row)) {
            number.reset();
        }
        if (number && !table_.MoveTo(row)) {
            number.reset();
        }
    } catch (const std::exception& error) {
        view_.Failure(error.what());
        number.reset();
    }
    const auto then = [this, alive = std::weak_ptr<int>(alive_)] {
        if (!alive.expired()) {
            Next();
        }
    };
    if (!number || !lookup_.LookUp(row, *number, then)) {
        Next();
    }
}

void BatchWalk::PlaceCursor(bool cancelled) {
    if (plan_.cursor == BatchCursor::AsLeft || rows_.empty() || table_.Opening() != opening_) {
        return;
    }
    std::size_t at = rows_.size() - 1;
    if (cancelled) {
        const std::size_t inHand = next_ > 0 ? next_ - 1 : 0;
        at = std::min(plan_.cursor == BatchCursor::RowAfter ? next_ : inHand, at);
    }
    try {
        table_.MoveTo(rows_[at]);
    } catch (const std::exception& error) {
        view_.Failure(error.what());
    }
}

void BatchWalk::End(bool cancelled) {
    PlaceCursor(cancelled);
    running_ = false;
    lookup_.Hold(false);
    view_.BatchRunning(false);
    view_.ShowStatus(cancelled ? plan_.cancelled : plan_.finished);
    if (plan_.after) {
        try {
            plan_.after();
        } catch (const std::exception& error) {
            view_.Failure(error.what());
        }
    }
    view_.Busy(false);
    if (done_) {
        auto done = std::move(done_);
        done_ = nullptr;
        done();
    }
}

}  // namespace book
