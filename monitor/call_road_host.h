#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/call_road.h"

class TTrayIcon;
class TWaveFileList;
namespace book {
class KlapperCore;
class TelefoonLog;
}  // namespace book
namespace capi {
class TBelverin;
}

namespace monitor {

inline constexpr int kLogRetryMilliseconds = 10000;

// The monitor window's call road on the running program: the road's ports over the phone
// book, the call log, the directory runner, the contacts store, the wave list, the speaking
// character, the command starter, the line and the clock, with the second stage posted on the
// event loop. The window supplies its view and DDE items; the host connects the line's events.
// Main thread only.
class CallRoadHost {
  public:
    struct Parts {
        book::KlapperCore& klapper;
        book::TelefoonLog& log;
        TWaveFileList& wave;  // WaveFileList1; its folder is set to the program's sound folder
        capi::TBelverin& line;
        RoadView& view;
        RoadDde& dde;
        TTrayIcon* tray = nullptr;  // takes the tray tip too, when given
        // Shows the phone-book memo window on the table's current record.
        std::function<void()> toonmemo;
    };

    explicit CallRoadHost(Parts parts);
    ~CallRoadHost();
    CallRoadHost(const CallRoadHost&) = delete;
    CallRoadHost& operator=(const CallRoadHost&) = delete;

    // The line's three events, connected by the constructor; the test form calls IncomingCall
    // with `simulated` set.
    void IncomingCall(const std::string& CallingPartyNumber, const std::string& CalledPartyNumber,
                      std::uint16_t CipValue, const std::string& CipValueString,
                      bool simulated = false);
    void RiduZevovIzuzedi1StateChange(bool bUserCanReject, bool bUserCanCangeNoDisturbMode);
    void RiduZevovIzuzedi1DoResetCapi();
    void bkillClick();
    void Timer1Timer();

    // The reverse lookup of huidigebeller; `done` runs when its result is in.
    void maakstartbat(std::function<void()> done);

    CallRoad& Road();

    // While the call log refuses rows, the road tries them again this often (and at each
    // call); for tests.
    void SetLogRetryInterval(int milliseconds);
    bool LogRetryRunning() const;

  private:
    struct Adapters;
    std::unique_ptr<Adapters> adapters_;
};

}  // namespace monitor
