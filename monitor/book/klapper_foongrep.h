#pragma once

#include <QObject>
#include <array>
#include <memory>

#include "monitor/book/klapper_lookup_result.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace monitor {
class DirectoryRunner;
}

namespace book {

class WindowWalkView;

class KlapperCore;

// The phone-book window's "Foongrep" menu: the lookup of the current entry, "Alles opfrissen"
// with its "annuleer zoeken" button, and the check items naming the fields a lookup may change.
// Lookups go on in the directory runner's completion; nothing waits.
class KlapperFoongrep : public QObject {
    Q_OBJECT
  public:
    // Fills `menu`; shows progress in `status` and the batch's `cancel` button. Without a
    // runner the program's shared one is used, made at the first lookup.
    KlapperFoongrep(KlapperCore& core, QMenu& menu, QPushButton& cancel, QLabel& status,
                    monitor::DirectoryRunner* runner = nullptr);
    ~KlapperFoongrep() override;

    QAction& AllesOpfrissen() { return *allesOpfrissen_; }
    QAction& GeselecteerdeRegel() { return *geselecteerdeRegel_; }
    // The check items in menu order: Aanhangsel, Naam, Voornaam, Straat, Postcode, Plaats,
    // "Veld wissen indien niet gevonden.".
    QAction& CheckItem(int n) { return *checkItems_.at(static_cast<std::size_t>(n)); }
    const LookupFieldChecks& Checks() const { return checks_; }
    // True while a lookup or the batch runs.
    bool Running() const;

    void GeselecteerderegelClick();
    void AllesopfrissenClick();
    void AnnuleerzoekenClick();

  private:
    struct Walkers;
    Walkers& walkers();
    void ChecksChanged();

    KlapperCore& core_;
    QPushButton& cancel_;
    monitor::DirectoryRunner* runner_;
    LookupFieldChecks checks_;
    QAction* allesOpfrissen_ = nullptr;
    QAction* geselecteerdeRegel_ = nullptr;
    std::array<QAction*, 7> checkItems_{};
    std::unique_ptr<WindowWalkView> view_;
    std::unique_ptr<Walkers> walkers_;
};

}  // namespace book
