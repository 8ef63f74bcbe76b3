#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/call_road_ports.h"
#include "monitor/log_backlog.h"
#include "monitor/settings.h"

namespace monitor {

// The road of an incoming call from the line to the log. The first stage runs inside the
// line's event: number, MSN, colours, pop-up, phone book, reject. The second stage runs from
// the post port: contacts, directory (the road goes on when the lookup is done, nothing
// waits), log record, reactions. From the first stage to the end of the second the monitor is
// busy (monitorvrij 0); a call meanwhile only gets a memo line.
//
// Every port call is guarded: a failing step shows a notice naming it and the road goes on,
// so a call is logged wherever that can be done and the monitor is free again afterwards.
// Reads the settings from `instellingen` and works on huidigebeller and inkomendebeller.
// Main thread only.
class CallRoad {
  public:
    explicit CallRoad(RoadPorts ports);
    ~CallRoad();
    CallRoad(const CallRoad&) = delete;
    CallRoad& operator=(const CallRoad&) = delete;

    // The line's OnIncomingCall. A simulated call (the test form's) never refuses the real
    // ringing call and leaves the reject permission alone.
    void IncomingCall(const std::string& CallingPartyNumber, const std::string& CalledPartyNumber,
                      std::uint16_t CipValue, const std::string& CipValueString,
                      bool simulated = false);
    void RiduZevovIzuzedi1StateChange(bool bUserCanReject, bool bUserCanCangeNoDisturbMode);
    void RiduZevovIzuzedi1DoResetCapi();
    void bkillClick();
    void Timer1Timer();
    // The counter reset: teller 0, shown.
    void ResetTeller();

    // Log rows the call log could not take yet are kept and written at the next call and at
    // each tick of `timer` (started while rows wait); RetryLog is the tick.
    void SetLogRetryTimer(RoadRetryTimer* timer) { retryTimer_ = timer; }
    void RetryLog();
    std::size_t LogWaiting() const { return backlog_.Waiting(); }

    // The controller the line was opened on at start-up, for reopening after a reset.
    void SetCapiController(int controller) { capicontroller_ = controller; }
    void SetCapiStatus(std::string status) { capistatus_ = std::move(status); }
    void SetMagAfwijzen(bool mag) { magafwijzen_ = mag; }

    bool monitorvrij() const { return monitorvrij_; }
    std::int32_t teller() const { return teller_; }
    bool magafwijzen() const { return magafwijzen_; }
    const std::string& capistatus() const { return capistatus_; }
    bool inklapper() const { return inklapper_; }
    bool inoutlook() const { return inoutlook_; }
    // The phone-book entry of the call being handled, as the first stage read it.
    const std::optional<KlapperTreffer>& treffer() const { return treffer_; }

  private:
    class GuardedView;
    class Busy;

    bool opzoeken();
    bool zoekinini();
    void verderzoeken();
    void NaZoeken();
    void opslaan();
    void Reject();
    void Finish();
    bool UurAan() const;
    const MsnInstelling* Msn() const;

    template <typename Step>
    bool Try(std::string_view stap, Step&& step);
    void Notice(std::string_view stap, std::string_view fout);
    void AfterLogWrite(const std::optional<std::string>& notice);

    RoadPorts ports_;
    std::unique_ptr<GuardedView> view_;
    bool monitorvrij_ = true;
    std::int32_t teller_ = 0;
    bool magafwijzen_ = false;
    std::string capistatus_;
    bool inklapper_ = false;
    bool inoutlook_ = false;
    bool simulated_ = false;
    bool lookupFailed_ = false;
    int capicontroller_ = 1;
    std::optional<KlapperTreffer> treffer_;
    LogBacklog backlog_;
    RoadRetryTimer* retryTimer_ = nullptr;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace monitor
