#include "monitor/book/log_foongrep.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <utility>

#include "monitor/book/batch_walk.h"
#include "monitor/book/data_set_lookup_table.h"
#include "monitor/book/log_lookup_rules.h"
#include "monitor/book/row_lookup.h"
#include "monitor/book/telefoon_log.h"
#include "monitor/book/window_walk_view.h"
#include "monitor/directory_runner_qt.h"
#include "platform/db/field.h"
#include "platform/ui/beep.h"
#include "platform/ui/dialogs.h"

namespace book {

struct LogFoongrep::Walkers {
    Walkers(LogFoongrep& owner, monitor::DirectoryRunner& runner)
        : table(owner.log_.t1(), "NUMMER", "ZOEKSTATUS"),
          rules([&owner](const std::string& number) {
              return ScanKlapper(owner.klapper_ ? owner.klapper_() : nullptr, number);
          }),
          lookup(runner, table, rules, *owner.view_, ui::beeper()),
          batch(table, lookup, *owner.view_) {}

    DataSetLookupTable table;
    LogLookupRules rules;
    RowLookup lookup;
    BatchWalk batch;
};

LogFoongrep::LogFoongrep(TelefoonLog& log, QMenu& menu, QPushButton& cancel, QPushButton& close,
                         QLabel& status, std::function<KlapperCore*()> klapper,
                         monitor::DirectoryRunner* runner)
    : QObject(nullptr),
      log_(log),
      cancel_(cancel),
      klapper_(std::move(klapper)),
      runner_(runner),
      view_(std::make_unique<WindowWalkView>(*this, status, cancel, &close)) {
    geselecteerdeRegel_ = menu.addAction("Geselecteerde regel");
    connect(geselecteerdeRegel_, &QAction::triggered, this, [this] { bnZoekClick(); });
    nogNietGezochte_ = menu.addAction("Nog niet gezochte");
    connect(nogNietGezochte_, &QAction::triggered, this, [this] { bzoeknietgezochtClick(); });
    alles_ = menu.addAction("Alles");
    connect(alles_, &QAction::triggered, this, [this] { bZoeknietgevondenClick(); });
    view_->SetCommands({geselecteerdeRegel_, nogNietGezochte_, alles_});
    cancel_.setVisible(false);
    connect(&cancel_, &QPushButton::clicked, this, [this] { banuleerzoekenClick(); });
}

LogFoongrep::~LogFoongrep() = default;

LogFoongrep::Walkers& LogFoongrep::walkers() {
    if (!walkers_) {
        monitor::DirectoryRunner& runner =
            runner_ != nullptr ? *runner_ : monitor::SharedDirectoryRunner();
        walkers_ = std::make_unique<Walkers>(*this, runner);
    }
    return *walkers_;
}

bool LogFoongrep::Running() const {
    return walkers_ && (walkers_->lookup.Running() || walkers_->batch.Running());
}

void LogFoongrep::bnZoekClick() {
    if (Running()) {
        return;
    }
    walkers().lookup.LookUpCurrent();
}

void LogFoongrep::StartBatch(bool nogNiet) {
    if (Running()) {
        return;
    }
    xbase::TTable& t1 = log_.t1();
    // Reads one field of a row without moving the cursor.
    auto fieldAt = [&t1](const RowMark& row, const char* field) {
        std::string value;
        t1.ReadRecordAt(row.bookmark, [&] { value = t1.FieldByName(field).AsString(); });
        return value;
    };
    BatchPlan plan;
    plan.before = [this] { log_.Sorteren(0); };
    if (nogNiet) {
        plan.qualifies = [fieldAt](const RowMark& row) {
            return NogNietGezocht(fieldAt(row, "ZOEKSTATUS"));
        };
        plan.cancelled = "Nog niet opgezochte zoeken afgebroken";
        plan.finished = "Nog niet opgezochte zoeken afgesloten";
        plan.cursor = BatchCursor::RowInHand;
    } else {
        plan.qualifies = [fieldAt](const RowMark& row) {
            return fieldAt(row, "NAAM").find_first_not_of(' ') != std::string::npos;
        };
        plan.cancelled = "Alles zoeken afgebroken";
        plan.finished = "Alles zoeken afgesloten";
        plan.cursor = BatchCursor::RowAfter;
    }
    walkers().batch.Start(std::move(plan));
}

void LogFoongrep::bzoeknietgezochtClick() {
    StartBatch(true);
}

void LogFoongrep::bZoeknietgevondenClick() {
    StartBatch(false);
}

void LogFoongrep::banuleerzoekenClick() {
    if (walkers_) {
        walkers_->batch.Cancel();
    }
}

}  // namespace book
