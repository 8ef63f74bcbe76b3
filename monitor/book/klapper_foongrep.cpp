#include "monitor/book/klapper_foongrep.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <utility>

#include "monitor/book/batch_walk.h"
#include "monitor/book/data_set_lookup_table.h"
#include "monitor/book/klapper_core.h"
#include "monitor/book/klapper_lookup_rules.h"
#include "monitor/book/row_lookup.h"
#include "monitor/book/window_walk_view.h"
#include "monitor/directory_runner_qt.h"
#include "platform/ui/beep.h"
#include "platform/ui/dialogs.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book {

namespace {

constexpr const char* kCheckCaptions[] = {
    "Aanhangsel",
    "Naam",
    "Voornaam",
    "Straat",
    "Postcode",
    "Plaats",
    "Veld wissen indien niet gevonden.",
};

}  // namespace

struct KlapperFoongrep::Walkers {
    Walkers(KlapperFoongrep& owner, monitor::DirectoryRunner& runner)
        : table(owner.core_.t2(), "NUMMER", "ZOEKSTATUS"),
          rules(owner.checks_),
          lookup(runner, table, rules, *owner.view_, ui::beeper()),
          batch(table, lookup, *owner.view_) {}

    DataSetLookupTable table;
    KlapperLookupRules rules;
    RowLookup lookup;
    BatchWalk batch;
};

KlapperFoongrep::KlapperFoongrep(KlapperCore& core, QMenu& menu, QPushButton& cancel,
                                 QLabel& status, monitor::DirectoryRunner* runner)
    : QObject(nullptr),
      core_(core),
      cancel_(cancel),
      runner_(runner),
      view_(std::make_unique<WindowWalkView>(*this, status, cancel)) {
    allesOpfrissen_ = menu.addAction("Alles opfrissen");
    connect(allesOpfrissen_, &QAction::triggered, this, [this] { AllesopfrissenClick(); });
    geselecteerdeRegel_ = menu.addAction("Geselecteerde regel");
    connect(geselecteerdeRegel_, &QAction::triggered, this, [this] { GeselecteerderegelClick(); });
    menu.addSeparator();
    menu.addAction("--- Evt. aan te passen velden ---")->setEnabled(false);
    for (std::size_t n = 0; n < checkItems_.size(); ++n) {
        if (n == 6) {
            menu.addSeparator();
        }
        QAction* item = menu.addAction(kCheckCaptions[n]);
        item->setCheckable(true);
        item->setChecked(n < 6);
        connect(item, &QAction::toggled, this, [this] { ChecksChanged(); });
        checkItems_[n] = item;
    }
    view_->SetCommands({allesOpfrissen_, geselecteerdeRegel_});
    cancel_.setVisible(false);
    connect(&cancel_, &QPushButton::clicked, this, [this] { AnnuleerzoekenClick(); });
}

KlapperFoongrep::~KlapperFoongrep() = default;

KlapperFoongrep::Walkers& KlapperFoongrep::walkers() {
    if (!walkers_) {
        monitor::DirectoryRunner& runner =
            runner_ != nullptr ? *runner_ : monitor::SharedDirectoryRunner();
        walkers_ = std::make_unique<Walkers>(*this, runner);
    }
    return *walkers_;
}

bool KlapperFoongrep::Running() const {
    return walkers_ && (walkers_->lookup.Running() || walkers_->batch.Running());
}

void KlapperFoongrep::ChecksChanged() {
    checks_.aanhangsel = checkItems_[0]->isChecked();
    checks_.naam = checkItems_[1]->isChecked();
    checks_.voornaam = checkItems_[2]->isChecked();
    checks_.straat = checkItems_[3]->isChecked();
    checks_.postcode = checkItems_[4]->isChecked();
    checks_.plaats = checkItems_[5]->isChecked();
    checks_.veldWissen = checkItems_[6]->isChecked();
}

void KlapperFoongrep::GeselecteerderegelClick() {
    if (Running()) {
        return;
    }
    walkers().lookup.LookUpCurrent();
}

void KlapperFoongrep::AllesopfrissenClick() {
    if (Running()) {
        return;
    }
    BatchPlan plan;
    plan.before = [this] {
        if (core_.NumberOrder() != 0) {
            core_.a2().SetOrder(core_.NumberOrder());
        }
    };
    plan.after = [this] {
        const int order = core_.OrderNumber(core_.SortChoice());
        if (core_.t2().Active() && order != 0) {
            core_.a2().SetOrder(order);
        }
    };
    plan.cancelled = "Alles zoeken afgebroken";
    plan.finished = "Alles zoeken afgesloten";
    walkers().batch.Start(std::move(plan));
}

void KlapperFoongrep::AnnuleerzoekenClick() {
    if (walkers_) {
        walkers_->batch.Cancel();
    }
}

}  // namespace book
