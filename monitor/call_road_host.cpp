#include "monitor/call_road_host.h"

#include "monitor/road_phone_book.h"

#include <cerrno>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "capi/capi_monitor.h"
#include "components/ms_agent.h"
#include "components/tray_icon.h"
#include "components/wave_file_list.h"
#include "monitor/book/klapper_core.h"
#include "monitor/book/outlook_link.h"
#include "monitor/book/telefoon_log.h"
#include "monitor/directory_lookup.h"
#include "monitor/directory_runner_qt.h"
#include "monitor/external_command.h"
#include "monitor/settings.h"
#include "platform/db/field.h"
#include "platform/rtl/date_time.h"
#include "platform/ui/dialogs.h"
#include "xbase/db_errors.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace monitor {

namespace {

// Why the engine refused a write: a full disk or a disk or folder that takes no writes,
// by the system's error number that the engine error carries, else any other reason.
LogFault FaultOf(const xbase::EDBEngineError& e) {
    if (e.ErrorCode() == xbase::kReadOnly) {
        return LogFault::ReadOnly;
    }
    for (const xbase::TDBError& entry : e.Errors()) {
        switch (entry.NativeError()) {
            case ENOSPC:
            case EDQUOT:
                return LogFault::DiskFull;
            case EROFS:
            case EACCES:
            case EPERM:
                return LogFault::ReadOnly;
            default:
                break;
        }
    }
    return LogFault::Other;
}

class LogAdapter final : public RoadCallLog {
  public:
    explicit LogAdapter(book::TelefoonLog& log) : log_(log) {}

    void Append(const telefoonrecordtype& b, bool meteenopslaan) override {
        try {
            Write(b, meteenopslaan);
        } catch (const xbase::EDBEngineError& e) {
            throw LogRefused(FaultOf(e), e.what());
        }
    }

  private:
    void Write(const telefoonrecordtype& b, bool meteenopslaan) {
        auto& t1 = log_.t1();
        log_.a1().Commit();
        t1.DisableControls();
        struct Enable {
            xbase::TTable& table;
            ~Enable() { table.EnableControls(); }
        } enable{t1};
        if (t1.IsEmpty()) {
            t1.Insert();
        } else {
            t1.Append();
        }
        try {
            auto zet = [&](std::string_view naam, const std::string& waarde) {
                t1.FieldByName(naam).SetAsString(waarde);
            };
            zet("DATUM", b.datum);
            zet("TIJD", b.tijd);
            zet("NUMMER", b.nummer);
            zet("VOORNAAM", b.voornaam);
            zet("NAAM", b.naam);
            zet("AANHANGSEL", b.aanhangsel);
            zet("STRAAT", b.straat);
            zet("POSTCODE", b.postcode);
            zet("PLAATS", b.plaats);
            zet("MSN", b.msn);
            zet("SOORT", b.soort);
            zet("ZOEKSTATUS", b.zoekstatus);
            t1.Post();
        } catch (...) {
            // A half-filled record is never left open for the next call to post.
            t1.Cancel();
            throw;
        }
        if (meteenopslaan) {
            log_.a1().Commit();
        }
    }

    book::TelefoonLog& log_;
};

class LookupViewAdapter final : public LookupView {
  public:
    explicit LookupViewAdapter(RoadView& view) : view_(view) {}
    void ShowImage(LookupImage image) override {
        switch (image) {
            case LookupImage::Gevonden:
                view_.SetImageVisible(RoadImage::Image2, true);
                break;
            case LookupImage::NietGevonden:
                view_.SetImageVisible(RoadImage::Image3, true);
                break;
            case LookupImage::Zoekfout:
                view_.SetImageVisible(RoadImage::Image4, true);
                break;
        }
    }
    void SetStatusMemo(const std::vector<std::string>& lines) override {
        view_.SetStatusMemo(lines);
    }
    void Waarschuwing(const std::string& text) override {
        ui::dialogs().MessageDlg(text, ui::MsgDlgType::Warning, ui::mbOK);
    }

  private:
    RoadView& view_;
};

class DirectoryAdapter final : public RoadDirectory {
  public:
    explicit DirectoryAdapter(DirectoryLookup& lookup) : lookup_(lookup) {}
    void maakstartbat(std::function<void()> done) override {
        lookup_.maakstartbat(std::move(done));
    }

  private:
    DirectoryLookup& lookup_;
};

class ContactsAdapter final : public RoadContacts {
  public:
    bool vindnummer(const std::string& nummer, bool openen) override {
        return monitor::vindnummer(nummer, openen);
    }
    void addcontact(const std::string& nummer, const std::string& voornaam,
                    const std::string& achternaam, const std::string& aanhangsel,
                    const std::string& straat, const std::string& postcode,
                    const std::string& plaats, bool openen) override {
        monitor::addcontact(nummer, voornaam, achternaam, aanhangsel, straat, postcode, plaats,
                            openen);
    }
};

class SoundAdapter final : public RoadSoundPlayer {
  public:
    explicit SoundAdapter(TWaveFileList& wave) : wave_(wave) {}
    void Play(const std::vector<std::string>& names) override {
        wave_.SetFilePath(programmadir() + "geluid");
        rtl::TStringList items;
        for (const auto& name : names) {
            items.Add(name);
        }
        wave_.SetItems(items);
        wave_.PlayAll();
    }

  private:
    TWaveFileList& wave_;
};

class CharacterAdapter final : public RoadCharacter {
  public:
    bool Present() const override { return MsAgent != nullptr; }
    // Language 0 is the character's own; position 0 puts it in the corner of the screen.
    void SpeakWithAttention(const std::string& text) override {
        MsAgent->SpeakWithAttention(text, 0, 0, 0);
    }
    void HideCharacter() override { MsAgent->HideCharacter(); }
};

class CommandsAdapter final : public RoadCommands {
  public:
    void aktie(const std::string& commandline) override { monitor::aktie(commandline); }
    void StartLanTelHost(const std::string& dir, const std::string& sjabloon) override {
        monitor::StartLanTelHost(dir, sjabloon);
    }
};

class LineAdapter final : public RoadLine {
  public:
    explicit LineAdapter(capi::TBelverin& line) : line_(line) {}
    void RejectCall() override { line_.RejectCall(); }
    bool ResetCapi() override { return line_.ResetCapi(); }
    bool Open(int controller, int rejectTimeOut) override {
        return line_.Open(controller, rejectTimeOut);
    }
    std::string ErrorString() const override { return line_.ErrorString(); }

  private:
    capi::TBelverin& line_;
};

class ClockAdapter final : public RoadClock {
  public:
    RoadTime Now() override {
        const auto nu = rtl::Now();
        return {rtl::FormatDateTime("yyyy-mm-dd", nu), rtl::FormatDateTime("hh:nn:ss", nu)};
    }
};

// The window's view, with the tray icon taking the tip as well.
class HostView final : public RoadView {
  public:
    HostView(RoadView& view, TTrayIcon* tray) : view_(view), tray_(tray) {}
    void SetNummerLabel(const std::string& t) override { view_.SetNummerLabel(t); }
    void SetGegevensLabel(const std::string& t) override { view_.SetGegevensLabel(t); }
    void SetTeller(std::int32_t t) override { view_.SetTeller(t); }
    void SetImageVisible(RoadImage i, bool v) override { view_.SetImageVisible(i, v); }
    void SetMsnColours(std::int32_t k, std::int32_t f) override { view_.SetMsnColours(k, f); }
    void SetPanel1Colour(std::int32_t k) override { view_.SetPanel1Colour(k); }
    void SetGegevensFontColour(std::int32_t k) override { view_.SetGegevensFontColour(k); }
    void SetStayOnTop() override { view_.SetStayOnTop(); }
    void PopUp() override { view_.PopUp(); }
    void ShowWindow() override { view_.ShowWindow(); }
    void HideWindow() override { view_.HideWindow(); }
    void StartPopupTimer(int ms) override { view_.StartPopupTimer(ms); }
    void StopPopupTimer() override { view_.StopPopupTimer(); }
    void AddMemoLine(const std::string& l) override { view_.AddMemoLine(l); }
    void ClearMemo() override { view_.ClearMemo(); }
    void SetMemoEnabled(bool e) override { view_.SetMemoEnabled(e); }
    void SetHourglass(bool on) override { view_.SetHourglass(on); }
    void SetTrayTip(const std::string& tip) override {
        view_.SetTrayTip(tip);
        if (tray_ != nullptr) {
            tray_->SetToolTip(tip);
        }
    }
    void SetRejectEnabled(bool e) override { view_.SetRejectEnabled(e); }
    void SetMemoButtonEnabled(bool e) override { view_.SetMemoButtonEnabled(e); }
    void SetCaption(const std::string& c) override { view_.SetCaption(c); }
    void SetStatusMemo(const std::vector<std::string>& l) override { view_.SetStatusMemo(l); }
    void ShowNotice(const std::string& t) override { view_.ShowNotice(t); }

  private:
    RoadView& view_;
    TTrayIcon* tray_;
};

// Ticks the road's retry of the call log's waiting rows on the event loop.
class RetryTimerAdapter final : public RoadRetryTimer {
  public:
    explicit RetryTimerAdapter(std::function<void()> tick) {
        timer_.setInterval(kLogRetryMilliseconds);
        QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
    }
    void Start() override {
        if (!timer_.isActive()) {
            timer_.start();
        }
    }
    void Stop() override { timer_.stop(); }
    void SetInterval(int milliseconds) { timer_.setInterval(milliseconds); }
    bool Active() const { return timer_.isActive(); }

  private:
    QTimer timer_;
};

// Work posted here runs on a later turn of the event loop, and not at all once the host
// has gone.
class PostAdapter final : public RoadPost {
  public:
    void Post(std::function<void()> work) override {
        QMetaObject::invokeMethod(&context_, std::move(work), Qt::QueuedConnection);
    }

  private:
    QObject context_;
};

}  // namespace

struct CallRoadHost::Adapters {
    explicit Adapters(Parts& p)
        : parts(p),
          klapper(p.klapper, parts.toonmemo),
          log(p.log),
          view(p.view, p.tray),
          lookupView(view),
          lookup(SharedDirectoryRunner(), lookupView),
          directory(lookup),
          sound(p.wave),
          line(p.line),
          road(RoadPorts{klapper, log, directory, contacts, sound, character, commands, line, clock,
                         view, p.dde, post}) {}

    Parts parts;
    RoadKlapper klapper;
    LogAdapter log;
    HostView view;
    LookupViewAdapter lookupView;
    DirectoryLookup lookup;
    DirectoryAdapter directory;
    ContactsAdapter contacts;
    SoundAdapter sound;
    CharacterAdapter character;
    CommandsAdapter commands;
    LineAdapter line;
    ClockAdapter clock;
    PostAdapter post;
    CallRoad road;
    RetryTimerAdapter retry{[this] { road.RetryLog(); }};
};

CallRoadHost::CallRoadHost(Parts parts) : adapters_(std::make_unique<Adapters>(parts)) {
    auto& line = adapters_->parts.line;
    line.OnIncomingCall = [this](const std::string& calling, const std::string& called,
                                 std::uint16_t cip, const std::string& cipText) {
        IncomingCall(calling, called, cip, cipText);
    };
    line.OnStateChange = [this](bool reject, bool noDisturb) {
        RiduZevovIzuzedi1StateChange(reject, noDisturb);
    };
    line.OnDoResetCapi = [this](capi::TBelverin&) { RiduZevovIzuzedi1DoResetCapi(); };
    adapters_->road.SetCapiStatus(line.ErrorString());
    adapters_->road.SetLogRetryTimer(&adapters_->retry);
    SetMonitorLookup(&adapters_->lookup);
}

void CallRoadHost::SetLogRetryInterval(int milliseconds) {
    adapters_->retry.SetInterval(milliseconds);
}

bool CallRoadHost::LogRetryRunning() const {
    return adapters_->retry.Active();
}

CallRoadHost::~CallRoadHost() {
    if (MonitorLookup() == &adapters_->lookup) {
        SetMonitorLookup(nullptr);
    }
    auto& line = adapters_->parts.line;
    line.OnIncomingCall = nullptr;
    line.OnStateChange = nullptr;
    line.OnDoResetCapi = nullptr;
}

void CallRoadHost::IncomingCall(const std::string& CallingPartyNumber,
                                const std::string& CalledPartyNumber, std::uint16_t CipValue,
                                const std::string& CipValueString, bool simulated) {
    adapters_->road.IncomingCall(CallingPartyNumber, CalledPartyNumber, CipValue, CipValueString,
                                 simulated);
}

void CallRoadHost::RiduZevovIzuzedi1StateChange(bool bUserCanReject,
                                                bool bUserCanCangeNoDisturbMode) {
    adapters_->road.RiduZevovIzuzedi1StateChange(bUserCanReject, bUserCanCangeNoDisturbMode);
}

void CallRoadHost::RiduZevovIzuzedi1DoResetCapi() {
    adapters_->road.RiduZevovIzuzedi1DoResetCapi();
}

void CallRoadHost::bkillClick() {
    adapters_->road.bkillClick();
}

void CallRoadHost::Timer1Timer() {
    adapters_->road.Timer1Timer();
}

void CallRoadHost::maakstartbat(std::function<void()> done) {
    adapters_->lookup.maakstartbat(std::move(done));
}

CallRoad& CallRoadHost::Road() {
    return adapters_->road;
}

}  // namespace monitor
