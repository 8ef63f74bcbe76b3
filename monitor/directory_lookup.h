#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/directory_runner.h"

namespace monitor {

// The monitor window's status images that a lookup shows.
enum class LookupImage {
    Gevonden,      // Image2: found by the directory program
    NietGevonden,  // Image3: found nowhere
    Zoekfout,      // Image4: the lookup failed
};

// The status texts of the monitor's failed lookups, which a later lookup may retry.
std::vector<std::string_view> LookupFailureTexts();

// What the monitor window shows of a lookup.
class LookupView {
  public:
    virtual ~LookupView() = default;
    virtual void ShowImage(LookupImage image) = 0;
    // The hidden memo Memo2 takes the lines of belvo2.log whenever that file was read.
    virtual void SetStatusMemo(const std::vector<std::string>& lines) = 0;
    // A warning box with an OK button.
    virtual void Waarschuwing(const std::string& text) = 0;
};

// The monitor window's reverse lookup and the settings dialog's status test, over the shared
// runner. Settings (Foongrep folder, zoektijd, Outlook link) are read from `instellingen` when a
// request is made. No completion runs after this object is gone.
class DirectoryLookup {
  public:
    DirectoryLookup(DirectoryRunner& runner, LookupView& view);

    // Looks up huidigebeller.nummer: deletes both result files, runs the program and fills
    // huidigebeller's name, address and zoekstatus with the outcome; then `done`. Fields the
    // outcome does not name keep their values.
    void maakstartbat(std::function<void()> done);

    // The settings dialog's status test: deletes belvo2.log, runs the program's status command
    // with the search time's wait and takes its outcome as a lookup does, so the belvo.log an
    // earlier lookup left is read into huidigebeller again; a belvo.log that cannot be read is
    // said in a warning box instead. Then gives the memo's lines: those of belvo2.log, or the
    // outcome's text when there are none.
    void Testfoongrepstatus(std::function<void(std::vector<std::string> memo)> done);

  private:
    DirectoryRunner& runner_;
    LookupView& view_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The monitor window's lookup while its call road exists, else nullptr. The settings dialog's
// status test runs there, so that what it reads reaches the monitor window as a lookup's does.
DirectoryLookup* MonitorLookup();
void SetMonitorLookup(DirectoryLookup* lookup);

}  // namespace monitor
