#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <memory>

#include "monitor/recording_box.h"
#include "monitor/settings_dialog_model.h"
#include "platform/ui/form.h"

class QCheckBox;

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace monitor {

// The settings window: nine pages over SettingsDialogModel, which holds every rule. Made when
// opened, freed when closed; opening it while it is open brings it forward.
class Tfinstellingen : public ui::Form {
    Q_OBJECT
  public:
    // Opens the window with the program's ports, or brings the open one forward.
    static Tfinstellingen* Openen();
    // The open window, or nullptr.
    static Tfinstellingen* Instance();
    // Opens it over the given ports (tests).
    static Tfinstellingen* Openen(std::unique_ptr<SettingsPorts> ports);

    ~Tfinstellingen() override;

    SettingsDialogModel& Model() { return *model_; }
    // Shows every control as the model holds it.
    void Tonen();

    void BTClick();
    void BannulerenClick();
    void LmsncmdDblClick();
    void BintroOpnemenClick();
    void dCapiinfoClick();
    // The box of a running recording, or nullptr.
    QDialog* OpnameVenster() const { return opname_.Box(); }

    QTabWidget* tabs;
    QPushButton* BT;
    QPushButton* Bannuleren;
    QPushButton* Bclose;
    // Belverin
    QLineEdit* ePopuptijd;
    QLineEdit* eafwijstijd;
    QLineEdit* E_kaartnummer;
    QCheckBox* cbnultoevoegen;
    QCheckBox* cbnulerafhalen;
    QCheckBox* Cautomemoklapper;
    QCheckBox* cbcapireset;
    QPushButton* dCapiinfo;
    QLabel* lcapiversie;
    QLabel* lcapiinfo;
    // Foongrep
    QLabel* lfoongrepdir;
    QPushButton* bfoongrepdir;
    QLineEdit* ezoektijd;
    QCheckBox* cbautomatischzoeken;
    QPushButton* bfoongrepstatus;
    QPlainTextEdit* Memo2;
    // Msn's
    QListWidget* lb0;
    QListWidget* lb1;
    QListWidget* lb2;
    QListWidget* Lmsncmd;
    QListWidget* lbafwijzen;
    QCheckBox* Cbnaam;
    // Geluid
    QListWidget* cb1;
    QListWidget* Cbmsngeluid;
    QListWidget* introlist;
    QPushButton* bintroopenen;
    QPushButton* BintroOpnemen;
    QPushButton* BintroAfspelen;
    // Popup Kleur
    std::array<QFrame*, kMsnCount> panelen{};
    std::array<QLabel*, kMsnCount> labels{};
    QPushButton* bstandaardkleuren;
    // MS Agent
    QPushButton* bmsagentsupportaanuit;
    QLineEdit* emsagentstring;
    QCheckBox* cbmsagenthide;
    QCheckBox* cbmsagentextra;
    QPushButton* bkarakter;
    QPushButton* beigenschappen;
    QPushButton* btaal;
    // VezIvozavoz
    QLabel* llantelefoondir;
    QPushButton* bwijziglantelefoondir;
    QCheckBox* cblantelefoonuitvoeren;
    // Outlook
    QPushButton* Buoutlookkoppelingaanuit;
    QPushButton* boutlooktools;
    QCheckBox* cboutlookopslaan;
    QCheckBox* cboutlookopenen;
    QCheckBox* cboutlookloggen;
    QCheckBox* cboutlookloggeninlogboek;
    QCheckBox* Cboutlookopnemeninlogboek;
    QCheckBox* cboutlooklogboekopenen;
    // Diversen
    QCheckBox* Cbautosaveinklapper;
    QCheckBox* cbmeteenopslaan;
    QCheckBox* cbdde;
    QCheckBox* cbintaakbalk;
    QLineEdit* E_voorvoegsel;
    QLineEdit* E_startvertraging;

  protected:
    void FormClose(ui::CloseAction& action) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Tfinstellingen(std::unique_ptr<SettingsPorts> ports);
    void Bouwen();
    void Verbinden();
    void Knoppen();
    void Na(void (SettingsDialogModel::*actie)());
    void Fokus();
    void OpnameVolgen();

    std::unique_ptr<SettingsPorts> ports_;
    std::unique_ptr<SettingsQuestions> vragen_;
    std::unique_ptr<SettingsDialogModel> model_;
    std::vector<QLabel*> agentLabels_;
    std::vector<QLabel*> outlookLabels_;
    RecordingBox opname_;
    bool tonen_ = false;
};

}  // namespace monitor
