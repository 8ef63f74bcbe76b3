#include "monitor/book/klapper_import.h"

#include <exception>

#include "monitor/book/csv_line.h"
#include "monitor/book/klapper_core.h"
#include "platform/db/field.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book {

namespace {

// Whatever ends the run: the indexes made again, the count label set, the grid's updates
// resumed and the normal cursor back, before any box is shown.
class RunScope {
  public:
    RunScope(KlapperCore& klapper, ImportPort& port) : klapper_(klapper), port_(port) {
        port_.Busy(true);
        klapper_.t2().DisableControls();
        klapper_.HoldCount(true);
    }
    ~RunScope() { Finish(); }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

    // Answers what went wrong on the way, empty when nothing did.
    std::string Finish() {
        if (done_) {
            return {};
        }
        done_ = true;
        std::string error;
        Step(error, [&] { klapper_.indexenmaken(); });
        Step(error, [&] { klapper_.HoldCount(false); });
        Step(error, [&] { klapper_.t2().EnableControls(); });
        Step(error, [&] { port_.Busy(false); });
        return error;
    }

  private:
    template <typename F>
    static void Step(std::string& error, F step) {
        try {
            step();
        } catch (const std::exception& e) {
            if (error.empty()) {
                error = e.what();
            }
        } catch (...) {
            if (error.empty()) {
                error = "onbekende fout";
            }
        }
    }

    KlapperCore& klapper_;
    ImportPort& port_;
    bool done_ = false;
};

}  // namespace

ImportOutcome KlapperImport::Run(const std::vector<std::string>& lines, char separator,
                                 const ImportMapping& mapping) {
    ImportOutcome outcome;
    if (mapping.Empty()) {
        port_.Message("Er valt niets te importeren");
        return outcome;
    }
    xbase::TTable& t2 = klapper_.t2();
    if (!t2.Active()) {
        port_.ErrorBox("De klapper is niet geopend.");
        return outcome;
    }
    outcome.started = true;
    std::string failure;
    std::string afterwards;
    {
        RunScope scope(klapper_, port_);
        try {
            klapper_.a2().CloseIndexes();
            using Clock = std::chrono::steady_clock;
            auto shown = Clock::now() - progressInterval;
            int line = 0;
            try {
                for (; line < static_cast<int>(lines.size()); ++line) {
                    if (Clock::now() - shown >= progressInterval) {
                        port_.Progress(line);
                        shown = Clock::now();
                    }
                    const auto fields =
                        CsvLine::Split(lines[static_cast<std::size_t>(line)], separator);
                    t2.Append();
                    for (const ImportValue& v : mapping.Values(fields)) {
                        t2.FieldByName(v.field).SetAsString(v.text);
                    }
                    t2.Post();
                    ++outcome.stored;
                }
                if (!lines.empty()) {
                    port_.Progress(static_cast<int>(lines.size()) - 1);
                }
            } catch (const std::exception& error) {
                // The record being filled is dropped; the ones before it stay.
                try {
                    t2.Cancel();
                } catch (const std::exception&) {
                    // The table reports what matters through the failure below.
                }
                outcome.failedLine = line + 1;
                failure = "fout: toevoegen aan klapper\nregel " + std::to_string(line + 1) + ": " +
                          error.what() + "\n" + std::to_string(outcome.stored) +
                          " records zijn toegevoegd.";
            }
            if (failure.empty()) {
                klapper_.a2().Commit();
            }
        } catch (const std::exception& error) {
            failure = std::string("fout: toevoegen aan klapper\n") + error.what();
        }
        afterwards = scope.Finish();
    }
    if (!failure.empty()) {
        port_.ErrorBox(failure);
    } else if (!afterwards.empty()) {
        port_.ErrorBox("Fout bij indexen maken: " + afterwards);
    } else {
        port_.Message("Importeren is goed verlopen");
    }
    return outcome;
}

}  // namespace book
