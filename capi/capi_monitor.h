#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "capi/capi_engine.h"
#include "capi/capi_ring_timer.h"

namespace capi {

// Watches one controller for incoming calls: announces each with its numbers and service, lets
// it ring for RejectTimeOut seconds during which the user may refuse it, and otherwise leaves it
// to the other terminals. It never holds a conversation: a call it answers is cleared at once.
class TBelverin {
  public:
    // Digits without the type, plan and presentation octets; empty when absent.
    using IncomingCallEvent = std::function<void(
        const std::string& callingPartyNumber, const std::string& calledPartyNumber,
        std::uint16_t cipValue, const std::string& cipValueString)>;
    using StateChangeEvent =
        std::function<void(bool bUserCanReject, bool bUserCanCangeNoDisturbMode)>;
    using NotifyEvent = std::function<void(TBelverin& sender)>;

    // Makes the one-second tick of one call's countdown; without one, calls tick on QTimers.
    using RingTimerFactory = std::function<std::unique_ptr<TRingTimer>()>;

    explicit TBelverin(RingTimerFactory timers = nullptr,
                       TCapiReceive receive = TCapiReceive::Thread);
    ~TBelverin();
    TBelverin(const TBelverin&) = delete;
    TBelverin& operator=(const TBelverin&) = delete;

    IncomingCallEvent OnIncomingCall;
    StateChangeEvent OnStateChange;
    // Raised from the event loop once the last call has gone, never inside the engine's
    // handling, so that the handler may reset and reopen.
    NotifyEvent OnDoResetCapi;

    bool Open(int controller, int rejectTimeOut);
    // Refuses the call last announced that still rings (none: nothing happens): it is taken, its
    // B3 connection refused and the call cleared. Other ringing calls keep their countdowns.
    void RejectCall();
    // Registers again under a new ApplID, unloading the library in between; false when not
    // open or refused.
    bool ResetCapi();
    void UpdateError();

    int Controller() const { return controller_; }
    int RejectTimeOut() const { return rejectTimeOut_; }
    bool NoDisturbMode() const { return noDisturbMode_; }
    void SetNoDisturbMode(bool on) { noDisturbMode_ = on; }
    std::uint32_t Error() const { return error_; }
    const std::string& ErrorString() const { return errorString_; }
    // Seconds left of the call RejectCall would refuse; 0 when none rings.
    int RejectCountdown() const { return ringing_.empty() ? 0 : ringing_.back().countdown; }

    // The engine while open; null otherwise.
    TCapi* Capi() const { return capi_.get(); }

  private:
    void HandleCapiMessage(TConnection* connection, TCapiMessage& message, bool& handled);
    void HandleAllDisconnected();
    void AnswerCall(ConnectionId id, std::uint16_t reject);
    void RejectTimerTick(TRingTimer* timer);
    void StartCountdown(ConnectionId id);
    // Forgets the call's countdown, if it has one, and stops its timer.
    void StopCountdown(ConnectionId id);
    void StopAllCountdowns();
    // Releases the engine now; the object itself goes on the next turn of the event loop,
    // since its handling may still be on the call stack.
    void Retire();
    void RaiseStateChange(bool userCanReject, bool userCanChangeNoDisturbMode);

    std::unique_ptr<TCapi> capi_;
    std::vector<std::unique_ptr<TCapi>> retired_;
    int controller_ = 1;
    int rejectTimeOut_ = 0;
    bool noDisturbMode_ = false;
    // The calls that ring, in the order they were announced; the last is the one the user
    // sees and may refuse.
    struct RingingCall {
        ConnectionId id = 0;
        int countdown = 0;
        TRingTimer* timer = nullptr;
    };
    std::vector<RingingCall> ringing_;
    // Timers are reused and only freed with the component, so that no tick frees the timer
    // it runs on.
    RingTimerFactory timerFactory_;
    std::vector<std::unique_ptr<TRingTimer>> timers_;
    std::uint32_t error_ = 0;
    std::string errorString_;
    TCapiReceive receive_;
    // Calls already given their CONNECT_RESP, and the number of each call's CONNECT_IND.
    std::set<ConnectionId> answered_;
    std::map<ConnectionId, std::uint16_t> connectIndNumber_;
    // Queued calls die with this object.
    QObject context_;
};

}  // namespace capi
