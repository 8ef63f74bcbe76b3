#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;

namespace monitor {
class DirectoryRunner;
}

namespace book {

class WindowWalkView;

class KlapperCore;
class TelefoonLog;

// The call-log window's "Foongrep" menu: the lookup of the current row and the batches "Nog
// niet gezochte" and "Alles", whose "Annuleer zoeken" button stands in the close button's place
// while they run. Lookups go on in the directory runner's completion; nothing waits.
class LogFoongrep : public QObject {
    Q_OBJECT
  public:
    // Fills `menu`; shows progress in `status`. `klapper` gives the phone book to scan first
    // (null: none). Without a runner the program's shared one is used, made at the first lookup.
    LogFoongrep(TelefoonLog& log, QMenu& menu, QPushButton& cancel, QPushButton& close,
                QLabel& status, std::function<KlapperCore*()> klapper,
                monitor::DirectoryRunner* runner = nullptr);
    ~LogFoongrep() override;

    QAction& GeselecteerdeRegel() { return *geselecteerdeRegel_; }
    QAction& NogNietGezochte() { return *nogNietGezochte_; }
    QAction& Alles() { return *alles_; }
    // The runner of later lookups; only before the first one.
    void SetRunner(monitor::DirectoryRunner* runner) { runner_ = runner; }
    // True while a lookup or a batch runs.
    bool Running() const;

    void bnZoekClick();
    void bzoeknietgezochtClick();
    void bZoeknietgevondenClick();
    void banuleerzoekenClick();

  private:
    struct Walkers;
    Walkers& walkers();
    void StartBatch(bool nogNiet);

    TelefoonLog& log_;
    QPushButton& cancel_;
    std::function<KlapperCore*()> klapper_;
    monitor::DirectoryRunner* runner_;
    QAction* geselecteerdeRegel_ = nullptr;
    QAction* nogNietGezochte_ = nullptr;
    QAction* alles_ = nullptr;
    std::unique_ptr<WindowWalkView> view_;
    std::unique_ptr<Walkers> walkers_;
};

}  // namespace book
