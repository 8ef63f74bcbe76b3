#include "monitor/monitor_window.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "capi/capi_monitor.h"
#include "components/ms_agent.h"
#include "components/tray_icon.h"
#include "components/wave_file_list.h"
#include "monitor/book/klapper_core.h"
#include "monitor/book/outlook_link.h"
#include "monitor/call_road_host.h"
#include "monitor/caller_record.h"
#include "monitor/fabout.h"
#include "monitor/fcommandline.h"
#include "monitor/ftest.h"
#include "monitor/settings.h"
#include "platform/os/dde_clipboard.h"
#include "platform/os/dde_names.h"
#include "platform/os/dde_service.h"
#include "platform/rtl/date_time.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/colors.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/help.h"

namespace monitor {

namespace {

constexpr int kHelpMonitor = 10;
constexpr int kHelpPanelmsn = 130;
const MonitorFont kVensterFont{"Arial", 11};  // height -15 at 96 dots per inch

// A picture of our own: a round badge with a sign on it.
QPixmap Badge(const QColor& colour, const QString& sign, int size = 24) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(150), 1.5));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, size - 3, size - 3));
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(size * 11 / 24);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, sign);
    return pixmap;
}

MonitorFont ToMonitorFont(const QFont& f) {
    return {f.family().toStdString(), f.pointSize()};
}

QFont ToQtFont(const MonitorFont& m, QFont base) {
    base.setFamily(QString::fromStdString(m.name));
    if (m.size > 0) {
        base.setPointSize(m.size);
    }
    return base;
}

void SetBackground(QWidget& w, ui::TColor colour) {
    const QColor c = ui::ColorToQColor(colour);
    if (!c.isValid()) {
        return;
    }
    QPalette p = w.palette();
    p.setColor(QPalette::Window, c);
    w.setPalette(p);
    w.setAutoFillBackground(true);
}

void SetForeground(QWidget& w, ui::TColor colour) {
    const QColor c = ui::ColorToQColor(colour);
    if (!c.isValid()) {
        return;
    }
    QPalette p = w.palette();
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    w.setPalette(p);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

TForm1::TForm1(Parts parts, QWidget* parent)
    : ui::Form(parent),
      parts_(std::move(parts)),
      belverin1_(std::make_unique<capi::TBelverin>()),
      waveFileList1_(std::make_unique<TWaveFileList>()) {
    SetCaption("ISDN Belverin");
    ui::Form::SetStayOnTop(true);
    setWindowFlag(Qt::CustomizeWindowHint, true);
    setWindowFlag(Qt::WindowTitleHint, true);
    setWindowFlag(Qt::WindowCloseButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    SetHelpContext(kHelpMonitor);
    SetCloseAction(ui::CloseAction::Hide);
    ui::FontSpec font = FormFont();
    font.name = kVensterFont.name;
    font.size = kVensterFont.size;
    SetFormFont(font);
    resize(509, 345);

    rtl::TStringList items;
    items.Add("intro");
    items.Add("test");
    waveFileList1_->SetItems(items);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] {
        Guarded([this] {
            if (host_) {
                host_->Timer1Timer();
            } else {
                StopPopupTimer();
                HideWindow();
            }
        });
    });

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    BuildMenu();
    outer->setMenuBar(MainMenu1);
    BuildPanels();
    outer->addWidget(Splitters, 1);
    BuildToolBar();
    outer->addWidget(ToolBar1);

    Memo2 = new QPlainTextEdit(this);
    Memo2->setReadOnly(true);
    Memo2->hide();

    // Until the road is connected, the line's state still reaches the caption.
    belverin1_->OnStateChange = [this](bool reject, bool) {
        ++stateChanges_;
        SetRejectEnabled(reject);
        SetCaption("Capi Status: " + belverin1_->ErrorString());
    };
}

TForm1::~TForm1() {
    host_.reset();
    belverin1_->OnStateChange = nullptr;
    SetHourglass(false);
    // The speaking character lives as long as the monitor window that started it.
    FreeMsAgent();
}

void TForm1::BuildMenu() {
    MainMenu1 = new QMenuBar(this);
    QMenu* beeld = MainMenu1->addMenu("Beeld");
    auto item = [this](QMenu* menu, const char* text, void (TForm1::*handler)()) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        connect(a, &QAction::triggered, this,
                [this, handler] { Guarded([=, this] { (this->*handler)(); }); });
        return a;
    };
    item(beeld, "Lettertype Nummergedeelte", &TForm1::LettertypeNummer1Click);
    item(beeld, "Lettertype Bellersgedeelte", &TForm1::LettertypeBellers1Click);
    item(beeld, "Lettertype Gegevensgedeelte", &TForm1::LettertypeGegevens1Click);
    beeld->addSeparator();
    item(beeld, "Bellersgedeelte aanpassen", &TForm1::Bellersaanpassen1Click);
    item(beeld, "Gegevensgedeelte aanpassen", &TForm1::Gegevensaanpassen1Click);
    beeld->addSeparator();
    item(beeld, "Standaard Lettertypen en Venster indeling", &TForm1::StandaardIndeling1Click);
    item(beeld, "Standaard Bellersgedeelte indeling", &TForm1::StandaardBellers1Click);
    beeld->addSeparator();
    QMenu* teller = MainMenu1->addMenu("Teller");
    Reset1 = item(teller, "Reset Teller", &TForm1::ResetTeller1Click);
    QMenu* help = MainMenu1->addMenu("Help");
    item(help, "Help openen", &TForm1::Helpopenen1Click);
    item(help, "Info", &TForm1::Info1Click);
}

void TForm1::BuildPanels() {
    Splitters = new QSplitter(Qt::Vertical, this);
    Splitters->setChildrenCollapsible(false);
    Splitters->setHandleWidth(3);
    Splitters->setStyleSheet("QSplitter::handle { background: white; }");

    Panel4 = new QWidget;
    auto* top = new QHBoxLayout(Panel4);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    Panel6 = new QWidget(Panel4);
    Panel6->setFixedWidth(8);
    L_nummer = new QLabel("?", Panel4);
    L_nummer->setAlignment(Qt::AlignCenter);
    L_nummer->setToolTip("Nummer van de beller.");
    Panel5 = new QWidget(Panel4);
    auto* counter = new QHBoxLayout(Panel5);
    counter->setContentsMargins(6, 0, 6, 0);
    lteller = new QLabel("0", Panel5);
    lteller->setToolTip("Aantal bellers");
    counter->addWidget(lteller);
    top->addWidget(Panel6);
    top->addWidget(L_nummer, 1);
    top->addWidget(Panel5);

    Panelmsn = new QWidget;
    SetBackground(*Panelmsn, ui::clWhite);
    Panelmsn->setWhatsThis(QString::number(kHelpPanelmsn));
    auto* middle = new QVBoxLayout(Panelmsn);
    middle->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(Panelmsn);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setToolTip("Bellers sinds start van het programma of laatste reset.");
    middle->addWidget(Memo1);

    Panel1 = new QWidget;
    auto* bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    Panel3 = new QWidget(Panel1);
    auto* images = new QHBoxLayout(Panel3);
    images->setContentsMargins(4, 0, 4, 0);
    images->setSpacing(2);
    const struct {
        const char* hint;
        QColor colour;
        const char* sign;
    } pictures[kRoadImages] = {
        {"Gegevens komen uit de klapper.", QColor(0x2e, 0x8b, 0x3c), "K"},
        {"Gevonden in de Ptt-cdfoongids", QColor(0x2a, 0x62, 0xb8), "G"},
        {"Niet gevonden in klapper of in de Ptt-cdfoongids.", QColor(0x80, 0x80, 0x80), "?"},
        {"Zoekfout ", QColor(0xe0, 0x8a, 0x00), "!"},
        {"Afgewezen op deze Msn of via de Klapper.", QColor(0xc8, 0x20, 0x20), "X"},
        {"In Outlook gevonden", QColor(0x1f, 0x3a, 0x7a), "O"},
    };
    for (int i = 0; i < kRoadImages; ++i) {
        Image[i] = new QLabel(Panel3);
        Image[i]->setPixmap(Badge(pictures[i].colour, pictures[i].sign, 28));
        Image[i]->setToolTip(pictures[i].hint);
        Image[i]->hide();
        images->addWidget(Image[i]);
    }
    L_gegevens = new QLabel("?", Panel1);
    L_gegevens->setAlignment(Qt::AlignCenter);
    L_gegevens->setToolTip("Gegevens van de laatste beller.");
    bottom->addWidget(Panel3);
    bottom->addWidget(L_gegevens, 1);

    Splitters->addWidget(Panel4);
    Splitters->addWidget(Panelmsn);
    Splitters->addWidget(Panel1);
    // Panelmsn takes what the window leaves, as the client panel.
    Splitters->setStretchFactor(0, 0);
    Splitters->setStretchFactor(1, 1);
    Splitters->setStretchFactor(2, 0);
}

void TForm1::BuildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setIconSize(QSize(22, 22));
    auto button = [this](const char* name, const char* hint, QColor colour, const char* sign,
                         void (TForm1::*handler)()) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(name);
        b->setToolTip(QString::fromUtf8(hint));
        b->setIcon(QIcon(Badge(colour, QString::fromUtf8(sign), 22)));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this,
                [this, handler] { Guarded([=, this] { (this->*handler)(); }); });
        ToolBar1->addWidget(b);
        return b;
    };
    const QColor book(0x2e, 0x8b, 0x3c);
    const QColor log(0x2a, 0x62, 0xb8);
    const QColor grey(0x60, 0x60, 0x60);
    SpeedButton1 = button("SpeedButton1", "Klapper openen", book, "K", &TForm1::SpeedButton1Click);
    bmemoklapper =
        button("bmemoklapper", "Klapper memo invoeren", book, "M", &TForm1::bmemoklapperClick);
    SpeedButton5 =
        button("SpeedButton5", "Opslaan in klapper", book, "+", &TForm1::SpeedButton5Click);
    ToolBar1->addSeparator();
    SpeedButton2 = button("SpeedButton2", "Log openen", log, "L", &TForm1::SpeedButton2Click);
    SpeedButton7 =
        button("SpeedButton7", "Log memo invoeren", log, "M", &TForm1::SpeedButton7Click);
    ToolBar1->addSeparator();
    SpeedButton3 =
        button("SpeedButton3", "Instellingen openen", grey, "I", &TForm1::SpeedButton3Click);
    SpeedButton6 =
        button("SpeedButton6", "Instellingen testen", grey, "T", &TForm1::SpeedButton6Click);
    ToolBar1->addSeparator();
    bkill = button("bkill", "Afwijzen", QColor(0xc8, 0x20, 0x20), "X", &TForm1::bkillClick);
    spklembord =
        button("spklembord", "Kopieer gegevens naar klembord", grey, "C", &TForm1::spklembordClick);
    SpeedButton8 = button("SpeedButton8", "Help", grey, "?", &TForm1::SpeedButton8Click);
    SpeedButton4 = button("SpeedButton4", "Sluiten", grey, "S", &TForm1::SpeedButton4Click);
    bmemoklapper->setEnabled(false);
}

void TForm1::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ui::ShowException(e);
    } catch (...) {
        ui::ShowException(std::runtime_error("Onbekende fout"));
    }
}

std::string TForm1::Now(const char* format) const {
    return rtl::FormatDateTime(format, rtl::Now());
}

void TForm1::Splash(const std::string& text) {
    if (OnSplashStep) {
        OnSplashStep(text);
    }
}

MonitorLayout TForm1::Layout() const {
    MonitorLayout l;
    l.top = y();
    l.left = x();
    l.width = width();
    l.height = height();
    const QList<int> sizes = Splitters->sizes();
    l.panelnaamheight = sizes.value(0);
    l.panelmsnheight = sizes.value(1);
    l.panel1height = sizes.value(2);
    l.nummerfont = ToMonitorFont(L_nummer->font());
    l.naamfont = ToMonitorFont(L_gegevens->font());
    l.msnfont = ToMonitorFont(Panelmsn->font());
    l.msnfontcolor = ui::QColorToColor(Panelmsn->palette().color(QPalette::WindowText));
    return l;
}

void TForm1::ApplyLayout(const MonitorLayout& l) {
    ScreenRect place{l.left, l.top, l.width, l.height};
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        std::vector<ScreenRect> screens;
        for (const QScreen* s : QGuiApplication::screens()) {
            const QRect g = s->geometry();
            screens.push_back({g.x(), g.y(), g.width(), g.height()});
        }
        const QRect free = primary->availableGeometry();
        place = KeepOnAScreen(place, screens, {free.x(), free.y(), free.width(), free.height()});
    }
    move(place.left, place.top);
    resize(l.width, l.height);
    Panel4->setMinimumHeight(0);
    Panel1->setMinimumHeight(0);
    Splitters->setSizes({l.panelnaamheight, l.panelmsnheight, l.panel1height});
    L_nummer->setFont(ToQtFont(l.nummerfont, L_nummer->font()));
    L_gegevens->setFont(ToQtFont(l.naamfont, L_gegevens->font()));
    Panelmsn->setFont(ToQtFont(l.msnfont, Panelmsn->font()));
}

void TForm1::FormCreate() {
    // 1. the layout
    ApplyLayout(LeesMonitorLayout(parts_.belvo, kVensterFont));
    // 2. the counter and the memos
    if (host_) {
        host_->Road().ResetTeller();
    }
    lteller->setText("0");
    Memo2->clear();
    Memo1->clear();
    AddMemoLine("0) " + Now("hh:nn:ss") + " - Er heeft nog niemand gebeld");
    // 3. the items for other programs
    OfferDde();
    if (instellingen.DDE) {
        Publish("000", "ddestart");
    }
    // 6. the speaking character
    if (instellingen.suport) {
        Splash("MS Agent laden ");
        StartCharacter();
    }
    // 7. Outlook, before its own window exists
    if (instellingen.koppeling) {
        Splash("Outlook OLE koppelen ");
        outlookaankoppelen();
    }
    // 8. the tray tip
    SetTrayTip("0) " + Now("hh:nn") + " - Er heeft nog niemand gebeld");
}

void TForm1::OfferDde() {
    busName_ = os::DdeBusName(parts_.programPath);
    std::string reason;
    ddeOffered_ = parts_.dde.Offer(busName_, reason);
    if (!ddeOffered_) {
        AddMemoLine("?) " + Now("hh:nn:ss") + " - DDE (D-Bus) niet beschikbaar: " + reason);
    }
}

void TForm1::StartCharacter() {
    if (!StartMsAgent() || MsAgent == nullptr) {
        // Only for this run: the setting in the file stays as the user left it.
        instellingen.suport = false;
        return;
    }
    MsAgent->SpeakWithAttention("Hallo ik ben " + MsAgent->GetCharacterName(), 0, 0, 0);
    if (instellingen.hide) {
        MsAgent->HideCharacter();
    }
}

bool TForm1::OpenLine() {
    Splash("Capi laden ");
    const int controller = parts_.belvo.ReadInteger("capi", "kaartnummer", 1);
    const int afwijstijd = parts_.belvo.ReadInteger("capi", "afwijstijd", 1);
    if (host_) {
        host_->Road().SetCapiController(controller);
    }
    const int before = stateChanges_;
    const bool ok = belverin1_->Open(controller, afwijstijd);
    if (host_) {
        host_->Road().SetCapiStatus(belverin1_->ErrorString());
    }
    if (!ok && stateChanges_ == before) {
        const std::string fout = belverin1_->ErrorString();
        SetCaption("Capi Status: " + fout);
        AddMemoLine("?) " + Now("hh:nn:ss") + " - Capi fout: " + fout);
    }
    return ok;
}

void TForm1::ConnectRoad(book::KlapperCore& klapper, book::TelefoonLog& log,
                         std::function<void()> toonmemo) {
    host_.reset();
    host_ = std::make_unique<CallRoadHost>(CallRoadHost::Parts{
        klapper, log, *waveFileList1_, *belverin1_, *this, *this, nullptr, std::move(toonmemo)});
    // Count the line's state changes, so OpenLine knows whether the line spoke for itself.
    auto inner = belverin1_->OnStateChange;
    belverin1_->OnStateChange = [this, inner](bool reject, bool noDisturb) {
        ++stateChanges_;
        if (inner) {
            inner(reject, noDisturb);
        }
    };
}

void TForm1::IncomingCall(const std::string& CallingPartyNumber,
                          const std::string& CalledPartyNumber, std::uint16_t CipValue,
                          const std::string& CipValueString, bool simulated) {
    if (!host_) {
        AddMemoLine("?) " + Now("hh:nn:ss") + " - " + CallingPartyNumber + " - " +
                    CalledPartyNumber + " - De klapper en het logboek zijn nog niet geladen");
        return;
    }
    host_->IncomingCall(CallingPartyNumber, CalledPartyNumber, CipValue, CipValueString, simulated);
}

void TForm1::ResetTeller1Click() {
    if (host_) {
        host_->Road().ResetTeller();
    }
    lteller->setText("0");
    ClearMemo();
    const std::string regel = "0) " + Now("hh:nn") + " - Er heeft nog niemand gebeld";
    AddMemoLine(regel);
    SetTrayTip(regel);
    L_gegevens->setText("?");
    L_nummer->setText("?");
    for (QLabel* image : Image) {
        image->hide();
    }
}

void TForm1::FormClose(ui::CloseAction& action) {
    try {
        SchrijfMonitorLayout(parts_.belvo, Layout());
    } catch (const std::exception& e) {
        ui::ShowException(e);
    }
    Timer1->stop();
    action = ui::CloseAction::Hide;
    if (OnGesloten) {
        OnGesloten();
    }
}

// ---- Menus ----

void TForm1::ChooseFont(QWidget& target) {
    ui::FontSpec spec = ui::FromQFont(
        target.font(), ui::QColorToColor(target.palette().color(QPalette::WindowText)));
    if (!ui::dialogs().ChooseFont(spec)) {
        return;
    }
    target.setFont(ui::ToQFont(spec));
    SetForeground(target, spec.color);
}

void TForm1::LettertypeNummer1Click() {
    ChooseFont(*L_nummer);
}

void TForm1::LettertypeBellers1Click() {
    ChooseFont(*Panelmsn);
}

void TForm1::LettertypeGegevens1Click() {
    ChooseFont(*L_gegevens);
}

void TForm1::Bellersaanpassen1Click() {
    TFcommandline::start("bellersstringtest", instellingen.bellersstring,
                         "Bellersstring aanpassen");
}

void TForm1::Gegevensaanpassen1Click() {
    TFcommandline::start("gegevensstringtest", instellingen.gegevensstring,
                         "Gegevensstring aanpassen");
}

void TForm1::StandaardIndeling1Click() {
    MonitorLayout l = StandaardMonitorLayout(ToMonitorFont(font()));
    l.left = x();
    l.top = y();
    ApplyLayout(l);
}

void TForm1::StandaardBellers1Click() {
    instellingen.bellersstring = std::string(kStandaardBellersstring);
    parts_.belvo.WriteString("capi", "bellersstring", IniProtected(kStandaardBellersstring));
}

void TForm1::Helpopenen1Click() {
    ui::ShowHelpContext(kHelpMonitor);
}

void TForm1::Info1Click() {
    TfAbout::Open();
}

// ---- Tool bar ----

void TForm1::SpeedButton1Click() {
    if (OnToonKlapper) {
        OnToonKlapper();
    }
    hide();
}

void TForm1::bmemoklapperClick() {
    if (OnToonKlapperMemo) {
        OnToonKlapperMemo();
    }
}

void TForm1::SpeedButton5Click() {
    if (OnToonKlapper) {
        OnToonKlapper();
    }
    hide();
    const auto& b = huidigebeller;
    if (OnNieuw) {
        OnNieuw(book::KlapperBeller{b.nummer, b.voornaam, b.naam, b.aanhangsel, b.straat,
                                    b.postcode, b.plaats, "Gekopieerd vanuit de Monitor"},
                "monitor");
    }
}

void TForm1::SpeedButton2Click() {
    if (OnToonLog) {
        OnToonLog();
    }
    hide();
}

void TForm1::SpeedButton7Click() {
    if (OnToonLogMemo) {
        OnToonLogMemo();
    }
}

void TForm1::SpeedButton3Click() {
    if (OnToonInstellingen) {
        OnToonInstellingen();
    }
    hide();
}

void TForm1::SpeedButton6Click() {
    Tftest::Open([this](const std::string& nummer, const std::string& msn, std::uint16_t cip,
                        const std::string& cipText,
                        bool simulated) { IncomingCall(nummer, msn, cip, cipText, simulated); },
                 parts_.belvo);
    hide();
}

void TForm1::bkillClick() {
    if (host_) {
        host_->bkillClick();
    }
}

void TForm1::spklembordClick() {
    os::PutTextOnClipboard(L_gegevens->text().toStdString());
}

void TForm1::SpeedButton8Click() {
    ui::ShowHelpContext(kHelpMonitor);
}

void TForm1::SpeedButton4Click() {
    close();
}

// ---- The road's view ----

void TForm1::SetNummerLabel(const std::string& text) {
    L_nummer->setText(Q(text));
}

void TForm1::SetGegevensLabel(const std::string& text) {
    L_gegevens->setText(Q(text));
}

void TForm1::SetTeller(std::int32_t teller) {
    lteller->setText(QString::number(teller));
}

void TForm1::SetImageVisible(RoadImage image, bool visible) {
    const int i = static_cast<int>(image) - 1;
    if (i >= 0 && i < kRoadImages) {
        Image[i]->setVisible(visible);
    }
}

void TForm1::SetMsnColours(std::int32_t kleur, std::int32_t font) {
    SetBackground(*this, kleur);
    SetForeground(*this, font);
    SetForeground(*L_nummer, font);
    SetForeground(*L_gegevens, font);
    SetBackground(*Panel4, kleur);
    SetForeground(*Panel4, font);
    SetBackground(*Panel1, kleur);
    SetBackground(*Panel3, kleur);
    // Panelmsn stays white; the memo keeps the window's text colour.
    SetForeground(*Memo1, ui::clWindowText);
}

void TForm1::SetPanel1Colour(std::int32_t kleur) {
    SetBackground(*Panel1, kleur);
    SetBackground(*Panel3, kleur);
}

void TForm1::SetGegevensFontColour(std::int32_t kleur) {
    SetForeground(*L_gegevens, kleur);
}

void TForm1::SetStayOnTop() {
    ui::Form::SetStayOnTop(true);
}

void TForm1::PopUp() {
    show();
    raise();
    activateWindow();
}

void TForm1::ShowWindow() {
    show();
}

void TForm1::HideWindow() {
    hide();
}

void TForm1::StartPopupTimer(int milliseconds) {
    Timer1->start(milliseconds);
}

void TForm1::StopPopupTimer() {
    Timer1->stop();
}

void TForm1::AddMemoLine(const std::string& line) {
    Memo1->appendPlainText(Q(line));
}

void TForm1::ClearMemo() {
    Memo1->clear();
}

void TForm1::SetMemoEnabled(bool enabled) {
    Memo1->setEnabled(enabled);
}

void TForm1::SetHourglass(bool on) {
    if (on == hourglass_ || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    hourglass_ = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TForm1::SetTrayTip(const std::string& tip) {
    if (parts_.tray != nullptr) {
        parts_.tray->SetToolTip(tip);
    }
}

void TForm1::SetRejectEnabled(bool enabled) {
    bkill->setEnabled(enabled);
}

void TForm1::SetMemoButtonEnabled(bool enabled) {
    bmemoklapper->setEnabled(enabled);
}

void TForm1::SetCaption(const std::string& caption) {
    ui::Form::SetCaption(caption);
}

void TForm1::SetStatusMemo(const std::vector<std::string>& lines) {
    Memo2->clear();
    for (const auto& line : lines) {
        Memo2->appendPlainText(Q(line));
    }
}

void TForm1::ShowNotice(const std::string& text) {
    ui::dialogs().Notify(text, ui::MsgDlgType::Warning);
}

void TForm1::Publish(const std::string& ddenummer, const std::string& ddenaam) {
    parts_.dde.SetItems(ddenummer, ddenaam);
    os::PutDdeItemOnClipboard(busName_, os::kDdeNummer, ddenummer);
    os::PutDdeItemOnClipboard(busName_, os::kDdeNaam, ddenaam);
}

}  // namespace monitor
