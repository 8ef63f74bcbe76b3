#pragma once

#include <QPointer>
#include <QPushButton>
#include <array>
#include <memory>
#include <string>

#include "monitor/book/entry_edit_model.h"
#include "monitor/recording_box.h"
#include "platform/ui/form.h"

#include <QDialog>

class QLabel;
class QMenu;

namespace db {
class TDataSource;
}

namespace ui {
class TDBEdit;
class TDBMemo;
class TDBNavigator;
class TDBText;
}  // namespace ui

namespace book {

class KlapperCore;
class Tfafwijzen;
class Tfgeluidklapper;

// The entry edit window's ports on the running program: the dialog service, the program's
// sound player and the recorder that [geluid] opnameprogramma names.
class ProgramEntryEditPorts : public EntryEditPorts {
  public:
    void Melding(const std::string& text) override;
    void Waarschuwing(const std::string& text) override;
    bool JaAnnuleren(const std::string& text) override;
    std::optional<std::string> WaveBestand(const std::string& folder) override;
    void Fout(const std::exception& error) override;
    bool Speel(const std::string& path) override;
    std::unique_ptr<os::SoundRecorder> Recorder() override;
};

// "Invoerscherm Klapper": one phone-book entry on the phone book's data source, its address
// fields and its reactions (colours, sound, per-MSN sound and reject choices, command line,
// memo). What it writes is decided by its EntryEditModel. Made when opened, freed when closed.
class TFtelklapperedit : public ui::Form {
    Q_OBJECT
  public:
    // `ports` null: the program's own.
    static TFtelklapperedit* Open(KlapperCore& core,
                                  std::unique_ptr<EntryEditPorts> ports = nullptr);
    TFtelklapperedit(KlapperCore& core, std::unique_ptr<EntryEditPorts> ports,
                     QWidget* parent = nullptr);
    ~TFtelklapperedit() override;

    EntryEditModel& Model() { return *model_; }

    void dbpopupkleurClick();
    void dbpopupfontkleurClick();
    void DBgeluidsfragmentClick();
    // The colour items (Kleur1Click for "Geen kleur", Zwart1Click and the rest), by index.
    void KleurItemClick(int item);
    void DBText3Click();  // TIJD
    void DBText4Click();  // AFWIJZEN
    void Opnemen1Click();
    void Openen1Click();
    void Test1Click();
    void Wis1Click();
    void Button7Click();  // CMDLINE
    void BitBtn1Click();  // "&Sluiten"
    void cmdlineinput(const std::string& text);

    // The open recording box and one look at the recorder, as its timer takes it.
    QDialog* OpnameBox() const { return opname_.Box(); }
    void OpnameVolgen();

    // NUMMER .. EXTRA with their labels, in the order shown.
    std::array<ui::TDBEdit*, 9> Edits{};
    std::array<QLabel*, 9> EditLabels{};
    ui::TDBText* DBZoekstatus;
    ui::TDBText* DBkleur;
    ui::TDBText* DBfontkleur;
    ui::TDBText* DBgeluid;
    ui::TDBText* DBText3;
    ui::TDBText* DBText4;
    ui::TDBText* DBcmdline;
    QPushButton* Bpopupkleur;
    QPushButton* Bpopupfontkleur;
    QPushButton* Bgeluidsfragment;
    QPushButton* Btijd;
    QPushButton* Bafwijzen;
    QPushButton* Button7;
    ui::TDBMemo* DBMemo1;
    ui::TDBNavigator* DBNavigator1;
    QPushButton* BitBtn1;
    QMenu* PopupKleur;
    QMenu* PopupGeluid;

  protected:
    void FormClose(ui::CloseAction& action) override;

  private:
    QWidget* BuildAddress(db::TDataSource* source);
    QWidget* BuildReactions(db::TDataSource* source);
    void Guarded(void (TFtelklapperedit::*handler)());

    KlapperCore& core_;
    std::unique_ptr<EntryEditPorts> ports_;
    std::unique_ptr<EntryEditModel> model_;
    QPointer<Tfgeluidklapper> geluidklapper_;
    QPointer<Tfafwijzen> afwijzen_;
    monitor::RecordingBox opname_;
};

}  // namespace book
