#include "monitor/finstellingen.h"

#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "components/directory_dialog.h"
#include "monitor/fcommandline.h"
#include "monitor/settings.h"
#include "monitor/settings_ports.h"
#include "platform/agent/character_art.h"
#include "platform/os/shell_open.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/colors.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/ini_layout_store.h"

namespace monitor {
namespace {

constexpr int kHelp = 640;
constexpr const char* kSection = "finstellingen";
constexpr const char* kFoongrepSite = "https://www.example.org/foongrep/";
constexpr const char* kLanSite = "https://www.example.org/vezivozavoz/";
constexpr const char* kLanMail = "mailto:vezivozavoz@example.org";

QPointer<Tfinstellingen>& Open() {
    static QPointer<Tfinstellingen> open;
    return open;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

// The user's answers through the program's dialog service and the directory chooser.
class DialogVragen : public SettingsQuestions {
  public:
    explicit DialogVragen(QWidget* venster) : venster_(venster) {}
    void Melding(const std::string& text) override { ui::dialogs().ShowMessage(text); }
    bool JaNee(const std::string& text) override {
        return ui::dialogs().MessageDlg(text, ui::MsgDlgType::Warning, ui::mbYes | ui::mbNo) ==
               ui::mrYes;
    }
    std::optional<std::string> Invoer(const std::string& caption, const std::string& prompt,
                                      const std::string& value) override {
        std::string tekst = value;
        if (!ui::dialogs().InputQuery(caption, prompt, tekst)) {
            return std::nullopt;
        }
        return tekst;
    }
    std::optional<std::string> WaveBestand(const std::string& folder,
                                           const std::string& fileName) override {
        ui::FileDialogOptions o;
        o.filter = "*.wav|*.wav;*.WAV|*.*|*.*";
        o.initialDir = folder;
        o.fileName = fileName;
        std::string gekozen;
        if (!ui::dialogs().OpenFileName(o, gekozen)) {
            return std::nullopt;
        }
        return gekozen;
    }
    std::optional<std::int32_t> Kleur(std::int32_t current) override {
        ui::TColor kleur = current;
        if (!ui::dialogs().ChooseColor(kleur)) {
            return std::nullopt;
        }
        return kleur;
    }
    std::optional<std::string> Map(const std::string& folder) override {
        TDirectoryDialog dir1;
        dir1.Title = "Dubbelklik op de goede directory";
        dir1.HelpContext = kHelp;
        dir1.Directory = folder;
        if (!dir1.Execute(venster_)) {
            return std::nullopt;
        }
        return dir1.Directory;
    }

  private:
    QWidget* venster_;
};

QListWidget* Lijst(QWidget* ouder, bool vinkjes, const std::vector<std::string>& rijen,
                   const QString& hint = {}) {
    auto* lijst = new QListWidget(ouder);
    for (const std::string& rij : rijen) {
        auto* item = new QListWidgetItem(Q(rij), lijst);
        if (vinkjes) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    lijst->setToolTip(hint);
    return lijst;
}

std::vector<std::string> Genummerd(const char* voor, int aantal, int vanaf, const char* na = "") {
    std::vector<std::string> rijen;
    for (int i = 0; i < aantal; ++i) {
        std::string n = std::to_string(i + vanaf);
        if (aantal > 10 && n.size() < 2) {
            n = "0" + n;
        }
        rijen.push_back(voor + n + na);
    }
    return rijen;
}

QLabel* Link(QWidget* ouder, const QString& tekst, const char* doel) {
    auto* label = new QLabel(tekst, ouder);
    label->setToolTip("Klik hier om Uw browser te openen.");
    label->setCursor(Qt::PointingHandCursor);
    label->setStyleSheet(
        "QLabel { color: black; text-decoration: underline; }"
        "QLabel:hover { color: #ff0000; }");
    label->setProperty("doel", doel);
    return label;
}

QWidget* Pagina(QTabWidget* tabs, const char* titel, int help) {
    auto* pagina = new QWidget(tabs);
    ui::SetControlHelpContext(pagina, help);
    tabs->addTab(pagina, titel);
    tabs->setTabToolTip(tabs->count() - 1, titel);
    return pagina;
}

void Vink(QListWidget* lijst, int rij, bool aan) {
    lijst->item(rij)->setCheckState(aan ? Qt::Checked : Qt::Unchecked);
}

void Tekst(QListWidget* lijst, int rij, const std::string& tekst) {
    lijst->item(rij)->setText(Q(tekst));
}

void Kleuren(QWidget* w, ui::TColor achter, ui::TColor voor) {
    QPalette p = w->palette();
    if (achter != 0 || voor == 0) {
        const QColor a = ui::ColorToQColor(achter);
        if (a.isValid()) {
            p.setColor(QPalette::Window, a);
        }
    }
    const QColor v = ui::ColorToQColor(voor);
    if (v.isValid()) {
        p.setColor(QPalette::WindowText, v);
    }
    w->setAutoFillBackground(true);
    w->setPalette(p);
}

}  // namespace

Tfinstellingen* Tfinstellingen::Instance() {
    return Open().data();
}

Tfinstellingen* Tfinstellingen::Openen() {
    return Openen(std::make_unique<ProgramSettingsPorts>());
}

Tfinstellingen* Tfinstellingen::Openen(std::unique_ptr<SettingsPorts> ports) {
    // Two windows would save over each other.
    if (Tfinstellingen* open = Open().data()) {
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* venster = new Tfinstellingen(std::move(ports));
    Open() = venster;
    venster->show();
    return venster;
}

Tfinstellingen::Tfinstellingen(std::unique_ptr<SettingsPorts> ports)
    : ports_(std::move(ports)),
      vragen_(std::make_unique<DialogVragen>(this)),
      opname_(*this,
              {[this] { model_->OpnameStoppen(); }, [this] { return model_->OpnameAfgelopen(); },
               [this] { model_->OpnameDoden(); },
               [this] {
                   model_->OpnameKlaar();
                   Tonen();
               }}) {
    model_ = std::make_unique<SettingsDialogModel>(BelvoIniPath(), *ports_, *vragen_);
    model_->Bijgewerkt = [this] { Tonen(); };
    SetCaption("Instellingen.");
    SetHelpContext(kHelp);
    SetCloseAction(ui::CloseAction::Free);
    move(75, 93);
    resize(597, 457);
    Bouwen();
    Verbinden();
    {
        rtl::TIniFile ini(BelvoIniPath());
        ui::IniLayoutStore store(ini);
        RestoreLayout(store, kSection);
    }
    model_->Vullen();
    Tonen();
}

Tfinstellingen::~Tfinstellingen() = default;

void Tfinstellingen::Bouwen() {
    auto* kolom = new QVBoxLayout(this);
    auto* menu = new QMenuBar(this);
    QMenu* beeld = menu->addMenu("Beeld");
    QAction* lettertype = beeld->addAction("Lettertype");
    connect(lettertype, &QAction::triggered, this, [this] {
        ui::FontSpec font = FormFont();
        if (ui::dialogs().ChooseFont(font)) {
            SetFormFont(font);
        }
    });
    kolom->setMenuBar(menu);
    tabs = new QTabWidget(this);
    tabs->setUsesScrollButtons(false);  // every page's tab in sight
    // The tab row is no part of a page; F1 there still means the page in front.
    connect(tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (QWidget* pagina = tabs->widget(index)) {
            ui::SetControlHelpContext(tabs, ui::ControlHelpContext(pagina));
        }
    });
    kolom->addWidget(tabs, 1);

    // 1 Belverin
    {
        QWidget* p = Pagina(tabs, "Belverin", 370);
        auto* g = new QGridLayout(p);
        ePopuptijd = new QLineEdit(p);
        eafwijstijd = new QLineEdit(p);
        E_kaartnummer = new QLineEdit(p);
        cbnultoevoegen = new QCheckBox("Een extra nul voor het nummer plaatsen", p);
        cbnulerafhalen = new QCheckBox("De extra nul voor het nummer verwijderen", p);
        cbnulerafhalen->setToolTip(
            "Sommige (huis) Centrales leveren het nummer met een extra nul.");
        Cautomemoklapper =
            new QCheckBox("Automatisch memo openen van de klapper (indien aanwezig)", p);
        cbcapireset = new QCheckBox("Na elk gesprek de Capi opnieuw initialiseren", p);
        dCapiinfo = new QPushButton("Capi info", p);
        lcapiversie = new QLabel(p);
        lcapiinfo = new QLabel(p);
        int r = 0;
        g->addWidget(new QLabel(" Monitor popup tijd (0 = geen popup, 999 = altijd zichtbaar)", p),
                     r, 0);
        g->addWidget(ePopuptijd, r++, 1);
        auto* nul = new QGroupBox(" Inkomend nummer aanpassen: ", p);
        auto* nulKolom = new QVBoxLayout(nul);
        nulKolom->addWidget(cbnultoevoegen);
        nulKolom->addWidget(cbnulerafhalen);
        g->addWidget(nul, r++, 0, 1, 2);
        g->addWidget(Cautomemoklapper, r++, 0, 1, 2);
        g->addWidget(new QLabel("Tijd voor het afwijzen van het gesprek (vereist een herstart)", p),
                     r, 0);
        g->addWidget(eafwijstijd, r++, 1);
        g->addWidget(cbcapireset, r++, 0, 1, 2);
        g->addWidget(new QLabel("ISDN kaart nummer  (vereist een herstart)", p), r, 0);
        g->addWidget(E_kaartnummer, r++, 1);
        g->addWidget(dCapiinfo, r++, 0, Qt::AlignLeft);
        g->addWidget(lcapiversie, r++, 0, 1, 2);
        g->addWidget(lcapiinfo, r++, 0, 1, 2);
        g->setRowStretch(r, 1);
    }
    // 2 Foongrep
    {
        QWidget* p = Pagina(tabs, "Foongrep", 510);
        auto* g = new QGridLayout(p);
        lfoongrepdir = new QLabel(p);
        lfoongrepdir->setTextFormat(Qt::PlainText);
        bfoongrepdir = new QPushButton("Wijzig directory", p);
        ezoektijd = new QLineEdit(p);
        cbautomatischzoeken = new QCheckBox("Automatisch zoeken", p);
        bfoongrepstatus = new QPushButton("Foongrep status", p);
        Memo2 = new QPlainTextEdit(p);
        Memo2->setReadOnly(true);
        int r = 0;
        g->addWidget(new QLabel(" Folder van Foongrep", p), r++, 0, 1, 2);
        g->addWidget(lfoongrepdir, r, 0);
        g->addWidget(bfoongrepdir, r++, 1);
        g->addWidget(new QLabel("Maximale Foongrep zoektijd (seconden)", p), r, 0);
        g->addWidget(ezoektijd, r++, 1);
        g->addWidget(cbautomatischzoeken, r++, 0, 1, 2);
        g->addWidget(bfoongrepstatus, r++, 0, Qt::AlignLeft);
        g->addWidget(Memo2, r++, 0, 1, 2);
        QLabel* link = Link(p, "Foongrep op het web", kFoongrepSite);
        link->installEventFilter(this);
        g->addWidget(link, r++, 0, 1, 2);
    }
    // 3 Msn's
    {
        QWidget* p = Pagina(tabs, "Msn's", 410);
        auto* g = new QGridLayout(p);
        const QString hint = "Dubbelklik om te wijzigen.";
        lb0 = Lijst(p, true, Genummerd("   Msn ", kMsnCount, 1));
        lb1 = Lijst(p, false, std::vector<std::string>(kMsnCount), hint);
        lb2 = Lijst(p, false, std::vector<std::string>(kMsnCount), hint);
        Lmsncmd = Lijst(p, false, std::vector<std::string>(kMsnCount, "-"), hint);
        lbafwijzen = Lijst(p, true, Genummerd("   Msn ", kMsnCount, 1));
        g->addWidget(new QLabel("Msn's aan/uit\nReageren op", p), 0, 0);
        g->addWidget(new QLabel("Tel. Nummers", p), 0, 1);
        g->addWidget(new QLabel("Namen", p), 0, 2);
        g->addWidget(new QLabel("Commandline", p), 0, 3);
        g->addWidget(new QLabel("Afwijzen\nIndien niet\nIn klapper", p), 0, 4);
        g->addWidget(lb0, 1, 0);
        g->addWidget(lb1, 1, 1);
        g->addWidget(lb2, 1, 2);
        g->addWidget(Lmsncmd, 1, 3);
        g->addWidget(lbafwijzen, 1, 4);
        g->setColumnStretch(3, 2);
        Cbnaam = new QCheckBox("Namen ipv nummers gebruiken in de monitor en Telefoonlog", p);
        g->addWidget(Cbnaam, 2, 0, 1, 5);
    }
    // 4 Geluid
    {
        QWidget* p = Pagina(tabs, "Geluid", 430);
        auto* g = new QGridLayout(p);
        cb1 = Lijst(p, true, Genummerd("  ", 24, 0, " uur"));
        Cbmsngeluid = Lijst(p, true, Genummerd("  Msn ", kMsnCount, 1));
        introlist = Lijst(p, false, std::vector<std::string>(kMsnCount));
        bintroopenen = new QPushButton("Openen", p);
        BintroOpnemen = new QPushButton("Opnemen", p);
        BintroAfspelen = new QPushButton("Test", p);
        g->addWidget(new QLabel("Standaard tijden  \ngeselecteerde uren", p), 0, 0);
        g->addWidget(new QLabel("Intro aan/uit\nAlleen geluid op", p), 0, 1);
        g->addWidget(new QLabel(" Intro per Msn \n Intro bestand", p), 0, 2);
        g->addWidget(cb1, 1, 0);
        g->addWidget(Cbmsngeluid, 1, 1);
        g->addWidget(introlist, 1, 2);
        auto* knoppen = new QHBoxLayout;
        knoppen->addWidget(bintroopenen);
        knoppen->addWidget(BintroOpnemen);
        knoppen->addWidget(BintroAfspelen);
        g->addLayout(knoppen, 2, 2);
        g->setColumnStretch(2, 2);
    }
    // 5 Popup Kleur
    {
        QWidget* p = Pagina(tabs, "Popup Kleur", 550);
        auto* kol = new QVBoxLayout(p);
        kol->addWidget(new QLabel(" Monitor popup kleuren wijzigen per Msn ", p));
        auto* g = new QGridLayout;
        for (int n = 0; n < kMsnCount; ++n) {
            auto* paneel = new QFrame(p);
            paneel->setFrameShape(QFrame::Panel);
            paneel->setFrameShadow(QFrame::Raised);
            paneel->setMinimumSize(90, 40);
            paneel->setObjectName(n == 0 ? "P0" : QString("p%1").arg(n));
            auto* label = new QLabel(QString("Msn %1").arg(n + 1), paneel);
            label->setObjectName(QString("f%1").arg(n));
            auto* in = new QVBoxLayout(paneel);
            in->addWidget(label, 0, Qt::AlignCenter);
            paneel->installEventFilter(this);
            label->installEventFilter(this);
            panelen[static_cast<std::size_t>(n)] = paneel;
            labels[static_cast<std::size_t>(n)] = label;
            g->addWidget(paneel, n / 5, n % 5);
        }
        kol->addLayout(g);
        bstandaardkleuren = new QPushButton("Standaard kleuren", p);
        kol->addWidget(bstandaardkleuren, 0, Qt::AlignLeft);
        kol->addWidget(
            new QLabel("Klik op een vlak om de desbetreffende Msn kleur te wijzigen", p));
        kol->addWidget(
            new QLabel("Klik op de tekst van een vlak om de Msn font kleur te wijzigen", p));
        kol->addStretch();
    }
    // 6 MS Agent
    {
        QWidget* p = Pagina(tabs, "MS Agent", 420);
        auto* g = new QGridLayout(p);
        bmsagentsupportaanuit = new QPushButton(p);
        emsagentstring = new QLineEdit(p);
        cbmsagenthide = new QCheckBox("Verbergen na elke melding.", p);
        cbmsagentextra =
            new QCheckBox("Als er iets is ingevoerd in het extra veld  van de klapper ", p);
        bkarakter = new QPushButton("Laad een ander karakter", p);
        beigenschappen = new QPushButton("Eigenschappen karakter", p);
        btaal = new QPushButton("Taal", p);
        auto* stringLabel = new QLabel("Tekst string (standaard = %v %n %a)", p);
        auto* extraLabel =
            new QLabel("dan alleen dat uitspreken.  (ook daar zijn parameters mogelijk)", p);
        agentLabels_ = {stringLabel, extraLabel};
        int r = 0;
        g->addWidget(bmsagentsupportaanuit, r++, 0, 1, 4, Qt::AlignLeft);
        g->addWidget(stringLabel, r++, 0, 1, 4);
        g->addWidget(emsagentstring, r++, 0, 1, 4);
        g->addWidget(cbmsagenthide, r++, 0, 1, 4);
        g->addWidget(cbmsagentextra, r++, 0, 1, 4);
        g->addWidget(extraLabel, r++, 0, 1, 4);
        auto* knoppen = new QHBoxLayout;
        knoppen->addWidget(bkarakter);
        knoppen->addWidget(beigenschappen);
        knoppen->addWidget(btaal);
        g->addLayout(knoppen, r++, 0, 1, 4);
        int kolom = 0;
        for (const char* naam : {"Robby", "Peedy", "Merlin", "Genie"}) {
            auto* vak = new QVBoxLayout;
            auto* beeld = new QLabel(p);
            if (auto art = agent::CharacterArt::Load(naam)) {
                beeld->setPixmap(art->Picture(72));
            }
            vak->addWidget(beeld, 0, Qt::AlignCenter);
            vak->addWidget(new QLabel(naam, p), 0, Qt::AlignCenter);
            g->addLayout(vak, r, kolom++);
        }
        g->setRowStretch(r + 1, 1);
    }
    // 7 VezIvozavoz
    {
        QWidget* p = Pagina(tabs, "VezIvozavoz", 20);
        auto* g = new QGridLayout(p);
        llantelefoondir = new QLabel("?", p);
        llantelefoondir->setTextFormat(Qt::PlainText);
        llantelefoondir->setToolTip("Folder waar Vezivozavoz staat. (LanTelHost.exe)");
        bwijziglantelefoondir = new QPushButton("Wijzig folder", p);
        cblantelefoonuitvoeren =
            new QCheckBox("LanTelHost automatisch aanroepen bij elk binnenkomend gesprek", p);
        int r = 0;
        g->addWidget(new QLabel("Folder van LanTelHost", p), r++, 0, 1, 2);
        g->addWidget(llantelefoondir, r, 0);
        g->addWidget(bwijziglantelefoondir, r++, 1);
        g->addWidget(cblantelefoonuitvoeren, r++, 0, 1, 2);
        auto* info = new QGroupBox(" Info VezIvozavoz ", p);
        auto* infoKolom = new QVBoxLayout(info);
        infoKolom->addWidget(new QLabel(
            "Voor Download, Installatie instructies, informatie en mailinglist zie:", info));
        infoKolom->addWidget(
            new QLabel("VezIvozavoz is een programma van zijn eigen maker.", info));
        for (QLabel* link : {Link(info, "VezIvozavoz op het web", kLanSite),
                             Link(info, "Mail de maker", kLanMail)}) {
            link->installEventFilter(this);
            infoKolom->addWidget(link);
        }
        g->addWidget(info, r++, 0, 1, 2);
        g->setRowStretch(r, 1);
    }
    // 8 Outlook
    {
        QWidget* p = Pagina(tabs, "Outlook", 560);
        auto* g = new QVBoxLayout(p);
        auto* boven = new QHBoxLayout;
        Buoutlookkoppelingaanuit = new QPushButton(p);
        boutlooktools = new QPushButton("Outlook Tools", p);
        boven->addWidget(Buoutlookkoppelingaanuit);
        boven->addWidget(boutlooktools);
        boven->addStretch();
        g->addLayout(boven);
        cboutlookopslaan = new QCheckBox("Nieuw nummer automatisch opslaan in Outlook ", p);
        auto* l1 = new QLabel("In standaard map met als categorie \"Nieuw nummer (Belverin)\"", p);
        cboutlookopenen = new QCheckBox("Outlook Contactpersoon meteen openen", p);
        cboutlookloggen = new QCheckBox(
            "Gesprekken loggen In standaard folder met categorie \"Belverin Log\"", p);
        auto* l2 = new QLabel("Bellersstring komt in de body van de Contactpersoon  ", p);
        cboutlookloggeninlogboek =
            new QCheckBox("Gesprekken loggen in het logboek van de contactpersoon", p);
        auto* l3 = new QLabel("Bellersstring komt in de logboek-body van de contactpersoon  ", p);
        Cboutlookopnemeninlogboek = new QCheckBox(
            "\"Automatisch logboekitems opnemen voor deze Contactpersoon\" aanzetten", p);
        cboutlooklogboekopenen = new QCheckBox("Logboek van de Contactpersoon meteen openen", p);
        outlookLabels_ = {l1, l2, l3};
        for (QWidget* w : std::initializer_list<QWidget*>{
                 cboutlookopslaan, l1, cboutlookopenen, cboutlookloggen, l2,
                 cboutlookloggeninlogboek, l3, Cboutlookopnemeninlogboek, cboutlooklogboekopenen}) {
            g->addWidget(w);
        }
        g->addStretch();
    }
    // 9 Diversen
    {
        QWidget* p = Pagina(tabs, "Diversen", 490);
        auto* g = new QGridLayout(p);
        Cbautosaveinklapper =
            new QCheckBox("Automatisch alle nieuwe nummers opslaan in de klapper", p);
        cbmeteenopslaan = new QCheckBox("Na elke toevoeging de tabellen meteen opslaan", p);
        cbdde = new QCheckBox("DDE koppeling gebruiken", p);
        cbintaakbalk = new QCheckBox("Ook in Taakbalk zichtbaar. (vereist een herstart)", p);
        E_voorvoegsel = new QLineEdit(p);
        E_startvertraging = new QLineEdit(p);
        int r = 0;
        for (QCheckBox* cb : {Cbautosaveinklapper, cbmeteenopslaan, cbdde, cbintaakbalk}) {
            g->addWidget(cb, r++, 0, 1, 2);
        }
        g->addWidget(new QLabel("Voorvoegsel uit te bellen nummer.", p), r, 0);
        g->addWidget(E_voorvoegsel, r++, 1);
        g->addWidget(
            new QLabel("Startvertraging automatisch opstarten (ivm laden capi-drivers)", p), r, 0);
        g->addWidget(E_startvertraging, r++, 1);
        g->setRowStretch(r, 1);
    }

    auto* paneel = new QWidget(this);
    auto* knoppen = new QHBoxLayout(paneel);
    BT = new QPushButton("Toepassen", paneel);
    Bannuleren = new QPushButton("Annuleren", paneel);
    Bclose = new QPushButton("Sluiten", paneel);
    knoppen->addStretch();
    knoppen->addWidget(BT);
    knoppen->addWidget(Bannuleren);
    knoppen->addWidget(Bclose);
    kolom->addWidget(paneel);
}

void Tfinstellingen::Verbinden() {
    SettingsControls& c = model_->c;
    auto veld = [this](QLineEdit* e, std::string SettingsControls::*v) {
        connect(e, &QLineEdit::textEdited, this, [this, v](const QString& t) {
            model_->c.*v = S(t);
            model_->Gewijzigd();
            Knoppen();
        });
    };
    veld(ePopuptijd, &SettingsControls::ePopuptijd);
    veld(eafwijstijd, &SettingsControls::eafwijstijd);
    veld(E_kaartnummer, &SettingsControls::E_kaartnummer);
    veld(ezoektijd, &SettingsControls::ezoektijd);
    veld(emsagentstring, &SettingsControls::emsagentstring);
    veld(E_voorvoegsel, &SettingsControls::E_voorvoegsel);
    veld(E_startvertraging, &SettingsControls::E_startvertraging);
    connect(ezoektijd, &QLineEdit::editingFinished, this, [this] {
        model_->ZoektijdVerlaten();
        Tonen();
    });
    auto vink = [this](QCheckBox* cb, bool SettingsControls::*v, bool msnLijst) {
        connect(cb, &QCheckBox::toggled, this, [this, v, msnLijst](bool aan) {
            if (tonen_) {
                return;
            }
            model_->c.*v = aan;
            msnLijst ? model_->MsnLijstGewijzigd() : model_->Gewijzigd();
            Knoppen();
        });
    };
    vink(cbnultoevoegen, &SettingsControls::cbnultoevoegen, false);
    vink(cbnulerafhalen, &SettingsControls::cbnulerafhalen, false);
    vink(Cautomemoklapper, &SettingsControls::Cautomemoklapper, false);
    vink(cbcapireset, &SettingsControls::cbcapireset, false);
    vink(cbautomatischzoeken, &SettingsControls::cbautomatischzoeken, false);
    vink(Cbnaam, &SettingsControls::Cbnaam, true);
    vink(cbmsagenthide, &SettingsControls::cbmsagenthide, false);
    vink(cbmsagentextra, &SettingsControls::cbmsagentextra, false);
    vink(cblantelefoonuitvoeren, &SettingsControls::cblantelefoonuitvoeren, true);
    vink(cboutlookopslaan, &SettingsControls::cboutlookopslaan, false);
    vink(cboutlookopenen, &SettingsControls::cboutlookopenen, false);
    vink(cboutlookloggen, &SettingsControls::cboutlookloggen, false);
    vink(cboutlookloggeninlogboek, &SettingsControls::cboutlookloggeninlogboek, false);
    vink(Cboutlookopnemeninlogboek, &SettingsControls::Cboutlookopnemeninlogboek, false);
    vink(cboutlooklogboekopenen, &SettingsControls::cboutlooklogboekopenen, false);
    vink(Cbautosaveinklapper, &SettingsControls::Cbautosaveinklapper, false);
    vink(cbmeteenopslaan, &SettingsControls::cbmeteenopslaan, false);
    vink(cbdde, &SettingsControls::cbdde, false);
    vink(cbintaakbalk, &SettingsControls::cbintaakbalk, false);

    auto vinklijst = [this](QListWidget* lijst, auto lid, bool msnLijst) {
        connect(lijst, &QListWidget::itemChanged, this,
                [this, lijst, lid, msnLijst](QListWidgetItem* item) {
                    if (tonen_) {
                        return;
                    }
                    const auto rij = static_cast<std::size_t>(lijst->row(item));
                    (model_->c.*lid)[rij] = item->checkState() == Qt::Checked;
                    msnLijst ? model_->MsnLijstGewijzigd() : model_->Gewijzigd();
                    Knoppen();
                });
    };
    vinklijst(lb0, &SettingsControls::lb0, true);
    vinklijst(lbafwijzen, &SettingsControls::lbafwijzen, false);
    vinklijst(cb1, &SettingsControls::cb1, false);
    vinklijst(Cbmsngeluid, &SettingsControls::Cbmsngeluid, false);
    (void)c;

    auto wijzig = [this](QListWidget* lijst, void (SettingsDialogModel::*actie)(int)) {
        connect(lijst, &QListWidget::itemClicked, this, [this, lijst, actie](QListWidgetItem* i) {
            (model_.get()->*actie)(lijst->row(i));
            Tonen();
        });
    };
    wijzig(lb1, &SettingsDialogModel::NummerWijzigen);
    wijzig(lb2, &SettingsDialogModel::NaamWijzigen);
    connect(Lmsncmd, &QListWidget::itemDoubleClicked, this, [this] { LmsncmdDblClick(); });

    connect(bintroopenen, &QPushButton::clicked, this, [this] {
        model_->IntroOpenen(introlist->currentRow());
        Tonen();
    });
    connect(BintroOpnemen, &QPushButton::clicked, this, &Tfinstellingen::BintroOpnemenClick);
    connect(BintroAfspelen, &QPushButton::clicked, this,
            [this] { model_->IntroTesten(introlist->currentRow()); });
    connect(bstandaardkleuren, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::StandaardKleuren); });
    connect(bfoongrepdir, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::FoongrepMapWijzigen); });
    connect(bfoongrepstatus, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::FoongrepStatusTest); });
    connect(bmsagentsupportaanuit, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::AgentAanUit); });
    connect(bkarakter, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::AgentKarakter); });
    connect(beigenschappen, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::AgentEigenschappen); });
    connect(btaal, &QPushButton::clicked, this, [this] { Na(&SettingsDialogModel::AgentTaal); });
    connect(bwijziglantelefoondir, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::LanMapWijzigen); });
    connect(Buoutlookkoppelingaanuit, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::OutlookAanUit); });
    connect(boutlooktools, &QPushButton::clicked, this,
            [this] { Na(&SettingsDialogModel::OutlookTools); });
    connect(dCapiinfo, &QPushButton::clicked, this, &Tfinstellingen::dCapiinfoClick);
    connect(BT, &QPushButton::clicked, this, &Tfinstellingen::BTClick);
    connect(Bannuleren, &QPushButton::clicked, this, &Tfinstellingen::BannulerenClick);
    connect(Bclose, &QPushButton::clicked, this, &QWidget::close);
}

void Tfinstellingen::Na(void (SettingsDialogModel::*actie)()) {
    (model_.get()->*actie)();
    Tonen();
}

void Tfinstellingen::Knoppen() {
    BT->setEnabled(model_->ToepassenAan());
    Bannuleren->setEnabled(model_->ToepassenAan());
}

void Tfinstellingen::Tonen() {
    tonen_ = true;
    const SettingsControls& c = model_->c;
    auto zet = [](QLineEdit* e, const std::string& t) {
        if (e->text() != Q(t)) {
            const QSignalBlocker stil(e);
            e->setText(Q(t));
        }
    };
    zet(ePopuptijd, c.ePopuptijd);
    zet(eafwijstijd, c.eafwijstijd);
    zet(E_kaartnummer, c.E_kaartnummer);
    zet(ezoektijd, c.ezoektijd);
    zet(emsagentstring, c.emsagentstring);
    zet(E_voorvoegsel, c.E_voorvoegsel);
    zet(E_startvertraging, c.E_startvertraging);
    cbnultoevoegen->setChecked(c.cbnultoevoegen);
    cbnulerafhalen->setChecked(c.cbnulerafhalen);
    Cautomemoklapper->setChecked(c.Cautomemoklapper);
    cbcapireset->setChecked(c.cbcapireset);
    lcapiversie->setText(Q(c.lcapiversie));
    lcapiinfo->setText(Q(c.lcapiinfo));
    lfoongrepdir->setText(Q(c.lfoongrepdir));
    cbautomatischzoeken->setChecked(c.cbautomatischzoeken);
    std::string memo;
    for (const std::string& regel : c.Memo2) {
        memo += regel + "\n";
    }
    Memo2->setPlainText(Q(memo));
    for (int n = 0; n < kMsnCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        Vink(lb0, n, c.lb0[i]);
        Tekst(lb1, n, c.lb1[i]);
        Tekst(lb2, n, c.lb2[i]);
        Tekst(Lmsncmd, n, c.Lmsncmd[i]);
        Vink(lbafwijzen, n, c.lbafwijzen[i]);
        Vink(Cbmsngeluid, n, c.Cbmsngeluid[i]);
        Tekst(introlist, n, c.introlist[i]);
        Kleuren(panelen[i], c.paneelkleur[i], c.labelkleur[i]);
        Kleuren(labels[i], c.paneelkleur[i], c.labelkleur[i]);
    }
    for (int h = 0; h < 24; ++h) {
        Vink(cb1, h, c.cb1[static_cast<std::size_t>(h)]);
    }
    Cbnaam->setChecked(c.Cbnaam);
    cbmsagenthide->setChecked(c.cbmsagenthide);
    cbmsagentextra->setChecked(c.cbmsagentextra);
    llantelefoondir->setText(Q(c.llantelefoondir));
    cblantelefoonuitvoeren->setChecked(c.cblantelefoonuitvoeren);
    cboutlookopslaan->setChecked(c.cboutlookopslaan);
    cboutlookopenen->setChecked(c.cboutlookopenen);
    cboutlookloggen->setChecked(c.cboutlookloggen);
    cboutlookloggeninlogboek->setChecked(c.cboutlookloggeninlogboek);
    Cboutlookopnemeninlogboek->setChecked(c.Cboutlookopnemeninlogboek);
    cboutlooklogboekopenen->setChecked(c.cboutlooklogboekopenen);
    Cbautosaveinklapper->setChecked(c.Cbautosaveinklapper);
    cbmeteenopslaan->setChecked(c.cbmeteenopslaan);
    cbdde->setChecked(c.cbdde);
    cbintaakbalk->setChecked(c.cbintaakbalk);

    // msagentschermaanpassen and outlookschermaanpassen
    const bool agent = model_->AgentAan();
    bmsagentsupportaanuit->setText(Q(model_->AgentKnop()));
    for (QWidget* w : std::initializer_list<QWidget*>{cbmsagenthide, cbmsagentextra, bkarakter,
                                                      beigenschappen, btaal, emsagentstring}) {
        w->setEnabled(agent);
    }
    for (QLabel* l : agentLabels_) {
        l->setEnabled(agent);
    }
    const bool outlook = model_->OutlookAan();
    Buoutlookkoppelingaanuit->setText(Q(model_->OutlookKnop()));
    for (QWidget* w : std::initializer_list<QWidget*>{
             cboutlookopslaan, cboutlookopenen, cboutlookloggen, cboutlookloggeninlogboek,
             Cboutlookopnemeninlogboek, cboutlooklogboekopenen, boutlooktools}) {
        w->setEnabled(outlook);
    }
    for (QLabel* l : outlookLabels_) {
        l->setEnabled(outlook);
    }
    Knoppen();
    tonen_ = false;
}

void Tfinstellingen::Fokus() {
    tabs->setCurrentIndex(static_cast<int>(model_->fokusPagina));
    if (auto* veld = findChild<QLineEdit*>(Q(model_->fokusVeld))) {
        veld->setFocus();
        veld->selectAll();
    }
}

void Tfinstellingen::BTClick() {
    if (!model_->Toepassen()) {
        Fokus();
    }
    Tonen();
}

void Tfinstellingen::BannulerenClick() {
    model_->Annuleren();
    Tonen();
}

void Tfinstellingen::LmsncmdDblClick() {
    const int rij = Lmsncmd->currentRow();
    if (rij < 0) {
        return;
    }
    // The text comes from the row and goes back into that row, whichever row is selected by then.
    TFcommandline::SetReceiver("finstellingen", this, [this, rij](const std::string& tekst) {
        model_->Commandline(rij, tekst);
        Tonen();
    });
    TFcommandline::start("finstellingen", model_->c.Lmsncmd[static_cast<std::size_t>(rij)],
                         "MSN " + std::to_string(rij) + " commandline ");
}

void Tfinstellingen::dCapiinfoClick() {
    model_->CapiInfoTonen();
    Tonen();
}

void Tfinstellingen::BintroOpnemenClick() {
    if (opname_.Box() || !model_->IntroOpnemenStarten(introlist->currentRow())) {
        return;
    }
    opname_.Show(model_->OpnameNaam());
}

void Tfinstellingen::OpnameVolgen() {
    opname_.Follow();
}

bool Tfinstellingen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) {
        return ui::Form::eventFilter(watched, event);
    }
    const QVariant doel = watched->property("doel");
    if (doel.isValid()) {
        os::ShellOpen(doel.toString().toStdString());
        return true;
    }
    for (int n = 0; n < kMsnCount; ++n) {
        const auto i = static_cast<std::size_t>(n);
        if (watched == labels[i]) {
            model_->LabelKlik(n);
            Tonen();
            return true;
        }
        if (watched == panelen[i]) {
            model_->PaneelKlik(n);
            Tonen();
            return true;
        }
    }
    return ui::Form::eventFilter(watched, event);
}

void Tfinstellingen::FormClose(ui::CloseAction& action) {
    {
        rtl::TIniFile ini(BelvoIniPath());
        ui::IniLayoutStore store(ini);
        SaveLayout(store, kSection);
    }
    if (opname_.Box()) {
        model_->OpnameDoden();
        OpnameVolgen();
    }
    if (!model_->Sluiten()) {
        action = ui::CloseAction::None;
        Fokus();
        Tonen();
        return;
    }
    action = ui::CloseAction::Free;
}

}  // namespace monitor
