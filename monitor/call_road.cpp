#include "monitor/call_road.h"

#include <iostream>
#include <limits>
#include <utility>

#include "monitor/caller_template.h"
#include "monitor/colour_words.h"
#include "monitor/mask.h"
#include "monitor/road_sounds.h"
#include "monitor/settings.h"

namespace monitor {

namespace {

constexpr std::string_view kStapVenster = "bijwerken van het venster";

std::string Fout(const std::exception& e) {
    return e.what();
}

}  // namespace

// The window as the road sees it: a call that fails is reported and skipped, so painting
// never stops a call from being logged.
class CallRoad::GuardedView final : public RoadView {
  public:
    explicit GuardedView(RoadView& view) : view_(view) {}

    void SetNummerLabel(const std::string& text) override {
        Call([&] { view_.SetNummerLabel(text); });
    }
    void SetGegevensLabel(const std::string& text) override {
        Call([&] { view_.SetGegevensLabel(text); });
    }
    void SetTeller(std::int32_t teller) override {
        Call([&] { view_.SetTeller(teller); });
    }
    void SetImageVisible(RoadImage image, bool visible) override {
        Call([&] { view_.SetImageVisible(image, visible); });
    }
    void SetMsnColours(std::int32_t kleur, std::int32_t font) override {
        Call([&] { view_.SetMsnColours(kleur, font); });
    }
    void SetPanel1Colour(std::int32_t kleur) override {
        Call([&] { view_.SetPanel1Colour(kleur); });
    }
    void SetGegevensFontColour(std::int32_t kleur) override {
        Call([&] { view_.SetGegevensFontColour(kleur); });
    }
    void SetStayOnTop() override {
        Call([&] { view_.SetStayOnTop(); });
    }
    void PopUp() override {
        Call([&] { view_.PopUp(); });
    }
    void ShowWindow() override {
        Call([&] { view_.ShowWindow(); });
    }
    void HideWindow() override {
        Call([&] { view_.HideWindow(); });
    }
    void StartPopupTimer(int milliseconds) override {
        Call([&] { view_.StartPopupTimer(milliseconds); });
    }
    void StopPopupTimer() override {
        Call([&] { view_.StopPopupTimer(); });
    }
    void AddMemoLine(const std::string& line) override {
        Call([&] { view_.AddMemoLine(line); });
    }
    void ClearMemo() override {
        Call([&] { view_.ClearMemo(); });
    }
    void SetMemoEnabled(bool enabled) override {
        Call([&] { view_.SetMemoEnabled(enabled); });
    }
    void SetHourglass(bool on) override {
        Call([&] { view_.SetHourglass(on); });
    }
    void SetTrayTip(const std::string& tip) override {
        Call([&] { view_.SetTrayTip(tip); });
    }
    void SetRejectEnabled(bool enabled) override {
        Call([&] { view_.SetRejectEnabled(enabled); });
    }
    void SetMemoButtonEnabled(bool enabled) override {
        Call([&] { view_.SetMemoButtonEnabled(enabled); });
    }
    void SetCaption(const std::string& caption) override {
        Call([&] { view_.SetCaption(caption); });
    }
    void SetStatusMemo(const std::vector<std::string>& lines) override {
        Call([&] { view_.SetStatusMemo(lines); });
    }
    void ShowNotice(const std::string& text) override {
        try {
            view_.ShowNotice(text);
        } catch (...) {
            // The window cannot say it; the log of the program's output still does.
            std::cerr << text << '\n';
        }
    }

    void ShowFailure(std::string_view stap, std::string_view fout) {
        std::string text = "Fout bij ";
        text += stap;
        if (!fout.empty()) {
            text += ": ";
            text += fout;
        }
        ShowNotice(text);
    }

  private:
    template <typename F>
    void Call(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            ShowFailure(kStapVenster, Fout(e));
        } catch (...) {
            ShowFailure(kStapVenster, {});
        }
    }

    RoadView& view_;
};

// Holds the monitor busy for one stage: unless the stage hands the call on, the monitor is
// free again when it ends, however it ends.
class CallRoad::Busy {
  public:
    explicit Busy(CallRoad& road) : road_(road) {}
    ~Busy() {
        if (!handedOn_) {
            road_.Finish();
        }
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
    void HandOn() { handedOn_ = true; }

  private:
    CallRoad& road_;
    bool handedOn_ = false;
};

CallRoad::CallRoad(RoadPorts ports)
    : ports_(ports), view_(std::make_unique<GuardedView>(ports.view)), backlog_(ports.log) {}

CallRoad::~CallRoad() = default;

template <typename Step>
bool CallRoad::Try(std::string_view stap, Step&& step) {
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        Notice(stap, Fout(e));
    } catch (...) {
        Notice(stap, {});
    }
    return false;
}

void CallRoad::Notice(std::string_view stap, std::string_view fout) {
    view_->ShowFailure(stap, fout);
}

const MsnInstelling* CallRoad::Msn() const {
    const auto index = huidigebeller.msnindex;
    if (index < 0 || index >= kMsnCount) {
        return nullptr;
    }
    return &instellingen.msninstellingen[static_cast<std::size_t>(index)];
}

bool CallRoad::UurAan() const {
    const auto& tijd = huidigebeller.tijd;
    if (tijd.size() < 2 || tijd[0] < '0' || tijd[0] > '9' || tijd[1] < '0' || tijd[1] > '9') {
        return false;
    }
    return MaskOn(instellingen.tijden, (tijd[0] - '0') * 10 + (tijd[1] - '0'));
}

void CallRoad::Finish() {
    view_->SetMemoEnabled(true);
    monitorvrij_ = true;
}

void CallRoad::IncomingCall(const std::string& CallingPartyNumber,
                            const std::string& CalledPartyNumber, std::uint16_t CipValue,
                            const std::string& CipValueString, bool simulated) {
    RoadTime nu;
    Try("lezen van de klok", [&] { nu = ports_.clock.Now(); });
    inkomendebeller = telefoonrecordtype{};
    inkomendebeller.datum = nu.datum;
    inkomendebeller.tijd = nu.tijd;
    inkomendebeller.nummer = CallingPartyNumber;
    inkomendebeller.msn = CalledPartyNumber;
    inkomendebeller.soort = CipValueString + " (" + std::to_string(CipValue) + ")";

    if (!monitorvrij_) {
        if (!simulated) {
            magafwijzen_ = false;
            view_->SetRejectEnabled(false);
        }
        inkomendebeller.zoekstatus = "Nog bezig met zoeken. (niet verwerkt) ";
        view_->AddMemoLine("?) " + bellersstringmaken(instellingen.bellersstring, "cap"));
        return;
    }

    huidigebeller = inkomendebeller;
    monitorvrij_ = false;
    simulated_ = simulated;
    view_->SetHourglass(true);
    {
        Busy busy(*this);
        try {
            if (opzoeken()) {
                busy.HandOn();
            }
        } catch (const std::exception& e) {
            Notice("afhandelen van de oproep", Fout(e));
        } catch (...) {
            Notice("afhandelen van de oproep", {});
        }
    }
    view_->SetHourglass(false);
}

bool CallRoad::opzoeken() {
    auto& b = huidigebeller;
    view_->SetMemoEnabled(false);
    inklapper_ = false;
    inoutlook_ = false;
    lookupFailed_ = false;
    treffer_.reset();
    Try("opheffen van het klapperfilter", [&] { ports_.klapper.Geenfilter1Click(); });

    for (int i = 1; i <= kRoadImages; ++i) {
        view_->SetImageVisible(static_cast<RoadImage>(i), false);
    }
    view_->StopPopupTimer();
    view_->SetMemoButtonEnabled(false);
    view_->SetNummerLabel("");
    view_->SetGegevensLabel("Bezig met zoeken");
    view_->SetStayOnTop();

    if (!b.nummer.empty()) {
        if (instellingen.NulToevoegen) {
            b.nummer = "0" + b.nummer;
        }
        if (instellingen.Nulerafhalen && b.nummer.front() == '0') {
            b.nummer = b.nummer.substr(1, 20);
        }
    }

    b.msnindex = kMsnCount;
    for (int i = 0; i < kMsnCount; ++i) {
        if (instellingen.msninstellingen[static_cast<std::size_t>(i)].nummer.substr(0, 15) ==
            b.msn) {
            b.msnindex = i;
            break;
        }
    }
    const MsnInstelling* msn = Msn();

    if (msn == nullptr || !msn->reageren) {
        b.zoekstatus = msn != nullptr ? "MSN staat niet aan (instellingen/MSN's"
                                      : "Niet als eigen nummer opgegeven";
        view_->AddMemoLine("?) " + b.tijd + " - " + b.nummer + " - " + b.msn + " - " +
                           b.zoekstatus);
        view_->SetGegevensLabel(b.naam);
        view_->SetNummerLabel(b.nummer + " (" + b.msn + ")");
        if (msn == nullptr) {
            view_->ShowWindow();
        }
        view_->SetImageVisible(RoadImage::Image4, true);
        return false;
    }

    if (teller_ < std::numeric_limits<std::int32_t>::max()) {
        ++teller_;
    }
    view_->SetTeller(teller_);
    view_->SetMsnColours(msn->kleur, msn->font);
    if (instellingen.naamgebruiken) {
        b.msn = msn->naam;
    }
    view_->SetNummerLabel(b.nummer + " (" + b.msn + ")");
    const int popup = instellingen.monitorpopuptijd;
    if (popup != 0) {
        view_->PopUp();
        if (popup != 999) {
            view_->StopPopupTimer();
            view_->StartPopupTimer(popup * 1000);
        }
    }

    if (!b.nummer.empty()) {
        view_->SetGegevensLabel("Bezig met zoeken in Telefoon klapper ");
        if (zoekinini()) {
            inklapper_ = true;
        } else if (msn->afwijzen && !lookupFailed_) {
            view_->SetImageVisible(RoadImage::Image1, false);
            view_->SetImageVisible(RoadImage::Image5, true);
            b.zoekstatus = "Afgewezen op deze MSN (niet opgezocht)";
            Reject();
        }
        std::weak_ptr<int> alive = alive_;
        const bool posted = Try("doorgeven aan de tweede stap", [&] {
            ports_.post.Post([this, alive] {
                if (!alive.expired()) {
                    verderzoeken();
                }
            });
        });
        if (!posted) {
            verderzoeken();
        }
        return true;
    }

    b.nummer = "--";
    view_->SetNummerLabel("-- (" + b.msn + ")");
    if (!zoekinini()) {
        b.zoekstatus = "Geen nummer herkend";
        view_->SetImageVisible(RoadImage::Image3, true);
    }
    opslaan();
    view_->SetGegevensLabel(b.naam);
    if (instellingen.lantelefoonuitvoeren) {
        Try("starten van de LAN-host", [&] {
            ports_.commands.StartLanTelHost(instellingen.lantelefoondir,
                                            instellingen.lantelefoonstring);
        });
    }
    if (!msn->cmd.empty() && msn->cmd != "-") {
        Try("starten van de MSN-opdracht", [&] { ports_.commands.aktie(msn->cmd); });
    }
    return false;
}

bool CallRoad::zoekinini() {
    auto& b = huidigebeller;
    std::optional<KlapperTreffer> treffer;
    if (!Try("zoeken in de klapper", [&] {
            ports_.klapper.Commit();
            treffer = ports_.klapper.FindNumber(b.nummer);
        })) {
        lookupFailed_ = true;
        treffer.reset();
    }

    const bool uurAan = UurAan();
    const bool geluidok = MaskOn(instellingen.msngeluid, b.msnindex) && uurAan;
    const std::string intro = Msn() != nullptr ? Msn()->intro : std::string();
    auto play = [&](const std::vector<std::string>& items) {
        if (!items.empty()) {
            Try("afspelen van het geluid", [&] { ports_.sound.Play(items); });
        }
    };

    if (!treffer) {
        play(UnknownCallerSounds(geluidok, intro));
        b.naam.clear();
        b.zoekstatus = "Niet in de Klapper gevonden";
        return false;
    }

    treffer_ = *treffer;
    const KlapperTreffer& t = *treffer_;
    b.zoekstatus = "In de Klapper gevonden";
    view_->SetImageVisible(RoadImage::Image1, true);
    b.voornaam = t.voornaam;
    b.naam = t.naam;
    b.aanhangsel = t.aanhangsel;
    b.straat = t.straat;
    b.postcode = t.postcode;
    b.plaats = t.plaats;
    b.extra = t.extra;
    b.omschr = t.omschr;
    if (const auto kleur = KleurWoord(t.kleur)) {
        view_->SetPanel1Colour(*kleur);
    }
    if (const auto kleur = KleurWoord(t.fontkleur)) {
        view_->SetGegevensFontColour(*kleur);
    }
    if (MaskOn(t.afwijzen, b.msnindex)) {
        view_->SetImageVisible(RoadImage::Image1, false);
        view_->SetImageVisible(RoadImage::Image5, true);
        b.zoekstatus = "Afgewezen via Klapper";
        Reject();
    }
    play(EntrySounds(SoundChoice(t.tijd, b.msnindex), geluidok, uurAan, intro, t.geluid));
    return true;
}

void CallRoad::Reject() {
    if (!simulated_ && magafwijzen_) {
        Try("afwijzen van de oproep", [&] { ports_.line.RejectCall(); });
    }
}

void CallRoad::verderzoeken() {
    Busy busy(*this);
    try {
        auto& b = huidigebeller;
        const MsnInstelling* msn = Msn();
        const bool afwijzen = msn != nullptr && msn->afwijzen;
        if (instellingen.koppeling && !afwijzen) {
            view_->SetGegevensLabel("Bezig met zoeken in Outlook ");
            bool gevonden = false;
            Try("zoeken in Outlook",
                [&] { gevonden = ports_.contacts.vindnummer(b.nummer, instellingen.openen); });
            if (gevonden) {
                inoutlook_ = true;
                view_->SetImageVisible(RoadImage::Image1, false);
                view_->SetImageVisible(RoadImage::Image6, true);
                view_->SetGegevensLabel("Gevonden in outlook");
            } else {
                view_->SetGegevensLabel("Niet gevonden in outlook");
            }
        }
        if (!inklapper_ && !inoutlook_ && !afwijzen) {
            if (instellingen.AutomatischZoeken) {
                view_->SetGegevensLabel("Bezig met zoeken in KPN-cdfoongids ");
                // The road goes on when the lookup is done; `once` keeps it to one time even
                // when the lookup both answers and then fails.
                auto once = std::make_shared<bool>(false);
                std::weak_ptr<int> alive = alive_;
                auto verder = [this, alive, once] {
                    if (*once || alive.expired()) {
                        return;
                    }
                    *once = true;
                    NaZoeken();
                };
                busy.HandOn();
                if (!Try("zoeken in de KPN-cdfoongids",
                         [&] { ports_.directory.maakstartbat(verder); })) {
                    verder();
                }
                return;
            }
            b.zoekstatus = "Niet opgezocht in de KPN-cdfoongids (automatisch zoeken staat uit)";
            b.naam.clear();
            view_->SetImageVisible(RoadImage::Image3, true);
        }
        busy.HandOn();
    } catch (const std::exception& e) {
        Notice("zoeken naar de beller", Fout(e));
    } catch (...) {
        Notice("zoeken naar de beller", {});
    }
    NaZoeken();
}

void CallRoad::NaZoeken() {
    Busy busy(*this);
    try {
        auto& b = huidigebeller;
        view_->SetGegevensLabel(bellersstringmaken(instellingen.gegevensstring, "bel"));
        opslaan();
        if (!inklapper_ && instellingen.autosaveinklapper) {
            Try("automatisch opslaan in de klapper", [&] {
                ports_.klapper.nieuwautosave(b.nummer, b.voornaam, b.naam, b.aanhangsel, b.straat,
                                             b.postcode, b.plaats,
                                             b.zoekstatus + " (auto. opslaan)");
            });
        }
        if (instellingen.koppeling && instellingen.opslaan && !inoutlook_) {
            Try("opslaan in Outlook", [&] {
                ports_.contacts.addcontact(b.nummer, b.voornaam, b.naam, b.aanhangsel, b.straat,
                                           b.postcode, b.plaats, instellingen.openen);
            });
        }
        if (instellingen.lantelefoonuitvoeren) {
            Try("starten van de LAN-host", [&] {
                ports_.commands.StartLanTelHost(instellingen.lantelefoondir,
                                                instellingen.lantelefoonstring);
            });
        }
        const MsnInstelling* msn = Msn();
        if (msn != nullptr && !msn->cmd.empty() && msn->cmd != "-") {
            Try("starten van de MSN-opdracht", [&] { ports_.commands.aktie(msn->cmd); });
        }
        if (inklapper_ && treffer_) {
            const KlapperTreffer t = *treffer_;
            if (!t.cmdline.empty() && t.cmdline != "-") {
                Try("starten van de klapperopdracht", [&] { ports_.commands.aktie(t.cmdline); });
            }
            if (instellingen.automemoklapper && t.memo) {
                Try("tonen van de memo", [&] { ports_.klapper.ShowMemo(t.bookmark); });
            }
            view_->SetMemoButtonEnabled(true);
        }
    } catch (const std::exception& e) {
        Notice("afronden van de oproep", Fout(e));
    } catch (...) {
        Notice("afronden van de oproep", {});
    }
}

void CallRoad::RetryLog() {
    AfterLogWrite(backlog_.Retry());
}

void CallRoad::AfterLogWrite(const std::optional<std::string>& notice) {
    if (notice) {
        view_->ShowNotice(*notice);
    }
    if (retryTimer_ == nullptr) {
        return;
    }
    Try("plannen van het opslaan in het logboek", [&] {
        if (backlog_.Waiting() > 0) {
            retryTimer_->Start();
        } else {
            retryTimer_->Stop();
        }
    });
}

void CallRoad::opslaan() {
    const auto& b = huidigebeller;
    // A row the log cannot take now waits and is written later; the call goes on.
    AfterLogWrite(backlog_.Write(huidigebeller, instellingen.meteenopslaan));
    if (teller_ == 0) {
        view_->ClearMemo();
    }
    const std::string regel =
        std::to_string(teller_) + ") " + bellersstringmaken(instellingen.bellersstring, "bel");
    view_->AddMemoLine(regel);
    view_->SetTrayTip(regel);
    if (instellingen.DDE) {
        Try("bijwerken van de DDE-gegevens", [&] {
            ports_.dde.Publish(b.nummer, b.voornaam + " " + b.naam + ", " + b.aanhangsel + ", " +
                                             b.straat + ", " + b.postcode + ", " + b.plaats);
        });
    }
    if (UurAan() && instellingen.suport) {
        const std::string tekst = instellingen.msagentextra && !b.extra.empty()
                                      ? bellersstringmaken(b.extra, "bel")
                                      : bellersstringmaken(instellingen.msagentstring, "bel");
        Try("spreken van het figuurtje", [&] {
            if (!ports_.character.Present()) {
                return;
            }
            ports_.character.SpeakWithAttention(tekst);
            if (instellingen.hide) {
                ports_.character.HideCharacter();
            }
        });
    }
}

void CallRoad::RiduZevovIzuzedi1StateChange(bool bUserCanReject,
                                            bool /*bUserCanCangeNoDisturbMode*/) {
    Try("lezen van de Capi-status", [&] { capistatus_ = ports_.line.ErrorString(); });
    magafwijzen_ = bUserCanReject;
    view_->SetRejectEnabled(bUserCanReject);
    view_->SetCaption("Capi Status: " + capistatus_);
}

void CallRoad::RiduZevovIzuzedi1DoResetCapi() {
    if (!instellingen.capireset) {
        return;
    }
    bool ok = false;
    Try("opnieuw aanmelden bij Capi", [&] {
        ok = ports_.line.ResetCapi();
        if (ok) {
            ports_.line.Open(capicontroller_, instellingen.afwijstijd);
        }
    });
    if (!ok) {
        RoadTime nu;
        Try("lezen van de klok", [&] { nu = ports_.clock.Now(); });
        view_->AddMemoLine("?) " + nu.tijd + " - Initialisatie fout (Reset Capi)");
    }
}

void CallRoad::bkillClick() {
    if (magafwijzen_) {
        Try("afwijzen van de oproep", [&] { ports_.line.RejectCall(); });
    }
}

void CallRoad::Timer1Timer() {
    view_->StopPopupTimer();
    view_->HideWindow();
}

void CallRoad::ResetTeller() {
    teller_ = 0;
    view_->SetTeller(0);
}

}  // namespace monitor
