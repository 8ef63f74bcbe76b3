#include "monitor/book/ftelklapperedit.h"

#include <QCursor>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "monitor/book/fafwijzen.h"
#include "monitor/book/fgeluidklapper.h"
#include "monitor/book/klapper_core.h"
#include "monitor/book/navigator_hints.h"
#include "monitor/fcommandline.h"
#include "monitor/settings.h"
#include "platform/os/sound_player.h"
#include "platform/ui/db_edit.h"
#include "platform/ui/db_memo.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/db_text.h"
#include "platform/ui/dialogs.h"
#include "xbase/table.h"

namespace book {
namespace {

constexpr int kHelpContext = 330;
constexpr const char* kCommandlineTag = "Ftelklapperedit";

struct AddressField {
    const char* label;
    const char* field;
};
constexpr std::array<AddressField, 9> kAddress = {{
    {"Nummer:", "NUMMER"},
    {"Voornaam:", "VOORNAAM"},
    {"Naam:", "NAAM"},
    {"Aanhangsel:", "AANHANGSEL"},
    {"Straat:", "STRAAT"},
    {"Postcode:", "POSTCODE"},
    {"Plaats:", "PLAATS"},
    {"Omschrijving:", "OMSCHR"},
    {"Extra:", "EXTRA"},
}};

ui::TDBText* DataText(QWidget* parent, db::TDataSource* source, const char* field) {
    auto* text = new ui::TDBText(parent);
    text->SetDataSource(source);
    text->SetDataField(field);
    text->setFrameShape(QFrame::StyledPanel);
    text->setMinimumWidth(160);
    return text;
}

}  // namespace

void ProgramEntryEditPorts::Melding(const std::string& text) {
    ui::dialogs().ShowMessage(text);
}

void ProgramEntryEditPorts::Waarschuwing(const std::string& text) {
    ui::dialogs().MessageDlg(text, ui::MsgDlgType::Warning, ui::mbOK);
}

bool ProgramEntryEditPorts::JaAnnuleren(const std::string& text) {
    return ui::dialogs().MessageDlg(text, ui::MsgDlgType::Warning, ui::mbYes | ui::mbCancel) !=
           ui::mrCancel;
}

std::optional<std::string> ProgramEntryEditPorts::WaveBestand(const std::string& folder) {
    ui::FileDialogOptions options;
    options.filter = "*.wav|*.wav;*.WAV|*.*|*.*";
    options.initialDir = folder;
    std::string name;
    if (!ui::dialogs().OpenFileName(options, name)) {
        return std::nullopt;
    }
    return name;
}

void ProgramEntryEditPorts::Fout(const std::exception& error) {
    ui::ShowException(error);
}

bool ProgramEntryEditPorts::Speel(const std::string& path) {
    return os::soundPlayer().PlayFile(path, os::SND_ASYNC | os::SND_NODEFAULT);
}

std::unique_ptr<os::SoundRecorder> ProgramEntryEditPorts::Recorder() {
    return std::make_unique<os::ProgramRecorder>(monitor::instellingen.opnameprogramma,
                                                 monitor::programmadir());
}

TFtelklapperedit* TFtelklapperedit::Open(KlapperCore& core, std::unique_ptr<EntryEditPorts> ports) {
    auto* form = new TFtelklapperedit(core, std::move(ports));
    form->show();
    return form;
}

TFtelklapperedit::TFtelklapperedit(KlapperCore& core, std::unique_ptr<EntryEditPorts> ports,
                                   QWidget* parent)
    : ui::Form(parent),
      core_(core),
      ports_(ports ? std::move(ports) : std::make_unique<ProgramEntryEditPorts>()),
      opname_(*this,
              {[this] { model_->OpnameStoppen(); }, [this] { return model_->OpnameAfgelopen(); },
               [this] { model_->OpnameDoden(); }, [this] { model_->OpnameKlaar(); }}) {
    model_ = std::make_unique<EntryEditModel>(core_.t2(), core_.a2(), *ports_);
    SetCaption("Invoerscherm Klapper");
    SetStayOnTop(true);
    SetHelpContext(kHelpContext);
    SetCloseAction(ui::CloseAction::Free);
    db::TDataSource* source = &core_.DataSource2();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    auto* top = new QHBoxLayout;
    top->addWidget(BuildAddress(source), 3);
    top->addSpacing(12);
    top->addWidget(BuildReactions(source), 2);
    column->addLayout(top);

    column->addWidget(new QLabel("Memo:", this));
    DBMemo1 = new ui::TDBMemo(this);
    DBMemo1->SetDataSource(source);
    DBMemo1->SetDataField("MEMO");
    DBMemo1->setMinimumHeight(70);
    column->addWidget(DBMemo1, 1);

    auto* bottom = new QHBoxLayout;
    DBNavigator1 = new ui::TDBNavigator(this);
    DBNavigator1->SetDataSource(source);
    SetBookNavigatorHints(*DBNavigator1);
    bottom->addWidget(DBNavigator1);
    bottom->addStretch(1);
    BitBtn1 = new QPushButton("&Sluiten", this);
    BitBtn1->setToolTip("Venster sluiten");
    bottom->addWidget(BitBtn1);
    column->addLayout(bottom);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    PopupKleur = new QMenu(this);
    for (std::size_t i = 0; i < kKleurItems.size(); ++i) {
        QAction* item = PopupKleur->addAction(kKleurItems[i].caption);
        connect(item, &QAction::triggered, this,
                [this, i] { KleurItemClick(static_cast<int>(i)); });
        if (i == 0) {
            PopupKleur->addSeparator();
        }
    }
    PopupGeluid = new QMenu(this);
    connect(PopupGeluid->addAction("Opnemen"), &QAction::triggered, this,
            [this] { Guarded(&TFtelklapperedit::Opnemen1Click); });
    connect(PopupGeluid->addAction("Openen"), &QAction::triggered, this,
            [this] { Guarded(&TFtelklapperedit::Openen1Click); });
    connect(PopupGeluid->addAction("Test"), &QAction::triggered, this,
            [this] { Guarded(&TFtelklapperedit::Test1Click); });
    connect(PopupGeluid->addAction("Wis"), &QAction::triggered, this,
            [this] { Guarded(&TFtelklapperedit::Wis1Click); });
}

TFtelklapperedit::~TFtelklapperedit() = default;

QWidget* TFtelklapperedit::BuildAddress(db::TDataSource* source) {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < kAddress.size(); ++i) {
        EditLabels[i] = new QLabel(kAddress[i].label, panel);
        Edits[i] = new ui::TDBEdit(panel);
        Edits[i]->SetDataSource(source);
        Edits[i]->SetDataField(kAddress[i].field);
        EditLabels[i]->setBuddy(Edits[i]);
        grid->addWidget(EditLabels[i], static_cast<int>(i), 0);
        grid->addWidget(Edits[i], static_cast<int>(i), 1);
    }
    DBZoekstatus = DataText(panel, source, "ZOEKSTATUS");
    grid->addWidget(DBZoekstatus, static_cast<int>(kAddress.size()), 1);
    grid->setColumnStretch(1, 1);
    return panel;
}

QWidget* TFtelklapperedit::BuildReactions(db::TDataSource* source) {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    // A click on the text does what its button does.
    auto add = [&](const char* caption, const char* field, void (TFtelklapperedit::*handler)(),
                   QPushButton*& button) {
        button = new QPushButton(caption, panel);
        auto* text = DataText(panel, source, field);
        text->setCursor(Qt::PointingHandCursor);
        connect(button, &QPushButton::clicked, this, [this, handler] { Guarded(handler); });
        text->OnClick = [this, handler](ui::TDBText&) { Guarded(handler); };
        grid->addWidget(button, row, 0);
        grid->addWidget(text, row, 1);
        ++row;
        return text;
    };
    DBkleur = add("Popup kleur", "KLEUR", &TFtelklapperedit::dbpopupkleurClick, Bpopupkleur);
    DBfontkleur = add("Popup fontkleur", "FONTKLEUR", &TFtelklapperedit::dbpopupfontkleurClick,
                      Bpopupfontkleur);
    DBgeluid = add("Geluidsfragment", "GELUID", &TFtelklapperedit::DBgeluidsfragmentClick,
                   Bgeluidsfragment);
    DBText3 = add("Tijd geluid", "TIJD", &TFtelklapperedit::DBText3Click, Btijd);
    DBText4 = add("Afwijzen", "AFWIJZEN", &TFtelklapperedit::DBText4Click, Bafwijzen);
    DBcmdline = add("Commandline", "CMDLINE", &TFtelklapperedit::Button7Click, Button7);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    return panel;
}

void TFtelklapperedit::Guarded(void (TFtelklapperedit::*handler)()) {
    try {
        (this->*handler)();
    } catch (const std::exception& error) {
        ui::ShowException(error);
    }
}

void TFtelklapperedit::dbpopupkleurClick() {
    model_->KleurPopup(1);
    PopupKleur->popup(QCursor::pos());
}

void TFtelklapperedit::dbpopupfontkleurClick() {
    model_->KleurPopup(2);
    PopupKleur->popup(QCursor::pos());
}

void TFtelklapperedit::KleurItemClick(int item) {
    model_->Kleur(item);
}

void TFtelklapperedit::DBgeluidsfragmentClick() {
    model_->GeluidPopup();
    PopupGeluid->popup(QCursor::pos());
}

void TFtelklapperedit::DBText3Click() {
    if (geluidklapper_) {
        geluidklapper_->raise();
        geluidklapper_->activateWindow();
        return;
    }
    geluidklapper_ = Tfgeluidklapper::Open(&core_.DataSource2());
}

void TFtelklapperedit::DBText4Click() {
    if (afwijzen_) {
        afwijzen_->raise();
        afwijzen_->activateWindow();
        return;
    }
    afwijzen_ = Tfafwijzen::Open(&core_.DataSource2());
}

void TFtelklapperedit::Opnemen1Click() {
    if (opname_.Box() || !model_->OpnemenStarten()) {
        return;
    }
    opname_.Show(model_->OpnameNaam());
}

void TFtelklapperedit::OpnameVolgen() {
    opname_.Follow();
}

void TFtelklapperedit::Openen1Click() {
    model_->Openen();
}

void TFtelklapperedit::Test1Click() {
    model_->Test();
}

void TFtelklapperedit::Wis1Click() {
    model_->Wis();
}

void TFtelklapperedit::Button7Click() {
    const EntryEditModel::CommandlineEditor editor = model_->CommandlineOpenen();
    monitor::TFcommandline::SetReceiver(kCommandlineTag, this,
                                        [this](const std::string& text) { cmdlineinput(text); });
    monitor::TFcommandline::start(kCommandlineTag, editor.text, editor.caption);
}

void TFtelklapperedit::cmdlineinput(const std::string& text) {
    model_->cmdlineinput(text);
}

void TFtelklapperedit::BitBtn1Click() {
    close();
}

void TFtelklapperedit::FormClose(ui::CloseAction& action) {
    if (model_->OpnameLoopt()) {
        model_->OpnameDoden();
        OpnameVolgen();
    }
    action = model_->Sluiten() ? ui::CloseAction::Free : ui::CloseAction::None;
}

}  // namespace book
