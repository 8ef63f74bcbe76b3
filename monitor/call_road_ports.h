#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "monitor/caller_record.h"

namespace monitor {

// What the road reads of the phone-book entry it found; taken in the first stage, so the
// second stage does not depend on where the table stands by then.
struct KlapperTreffer {
    std::string voornaam;
    std::string naam;
    std::string aanhangsel;
    std::string straat;
    std::string postcode;
    std::string plaats;
    std::string extra;
    std::string omschr;
    std::string kleur;
    std::string fontkleur;
    std::string afwijzen;
    std::string tijd;
    std::string geluid;
    std::string cmdline;
    bool memo = false;  // MEMO holds text
    // Where the entry stands in the table, for the memo viewer; opaque to the road.
    std::string bookmark;

    bool operator==(const KlapperTreffer&) const = default;
};

// The phone book, as the road uses it.
class RoadPhoneBook {
  public:
    virtual ~RoadPhoneBook() = default;
    virtual void Geenfilter1Click() = 0;
    virtual void Commit() = 0;
    // The entry whose NUMMER equals `nummer` exactly; the table stays on it.
    virtual std::optional<KlapperTreffer> FindNumber(const std::string& nummer) = 0;
    // Appends a caller; the arguments in the order of the table's fields.
    virtual void nieuwautosave(const std::string& nummer, const std::string& voornaam,
                               const std::string& naam, const std::string& aanhangsel,
                               const std::string& straat, const std::string& postcode,
                               const std::string& plaats, const std::string& zoekstatus) = 0;
    // Shows the memo viewer on the entry at `bookmark`; false when the table cannot go there
    // now (it is being edited), and nothing is shown.
    virtual bool ShowMemo(const std::string& bookmark) = 0;
};

// Why the call log took no row.
enum class LogFault { DiskFull, ReadOnly, Other };

// The call log refused a row, saying why.
class LogRefused : public std::runtime_error {
  public:
    LogRefused(LogFault fault, const std::string& reason)
        : std::runtime_error(reason), fault_(fault) {}
    LogFault Fault() const { return fault_; }

  private:
    LogFault fault_;
};

// The call log: one record per logged call, CAPISTATUS and MEMO left empty.
class RoadCallLog {
  public:
    virtual ~RoadCallLog() = default;
    // Commits, appends the record, posts it, and commits again when `meteenopslaan`. A throw
    // means the table holds no record of the call; LogRefused says why when it can.
    virtual void Append(const telefoonrecordtype& beller, bool meteenopslaan) = 0;
};

// Runs the road's retry of the call log's waiting rows now and then, until stopped.
class RoadRetryTimer {
  public:
    virtual ~RoadRetryTimer() = default;
    virtual void Start() = 0;  // a running timer keeps its rhythm
    virtual void Stop() = 0;
};

// The reverse lookup of huidigebeller.nummer; `done` runs once the result is in huidigebeller,
// later or at once.
class RoadDirectory {
  public:
    virtual ~RoadDirectory() = default;
    virtual void maakstartbat(std::function<void()> done) = 0;
};

// The contacts store, over huidigebeller.
class RoadContacts {
  public:
    virtual ~RoadContacts() = default;
    virtual bool vindnummer(const std::string& nummer, bool openen) = 0;
    virtual void addcontact(const std::string& nummer, const std::string& voornaam,
                            const std::string& achternaam, const std::string& aanhangsel,
                            const std::string& straat, const std::string& postcode,
                            const std::string& plaats, bool openen) = 0;
};

// Plays sound files from the sound folder, named without their extension, one after the
// other; returns at once.
class RoadSoundPlayer {
  public:
    virtual ~RoadSoundPlayer() = default;
    virtual void Play(const std::vector<std::string>& names) = 0;
};

// The speaking character; Present is false while it is switched off.
class RoadCharacter {
  public:
    virtual ~RoadCharacter() = default;
    virtual bool Present() const = 0;
    virtual void SpeakWithAttention(const std::string& text) = 0;
    virtual void HideCharacter() = 0;
};

// Outside programs, started without waiting.
class RoadCommands {
  public:
    virtual ~RoadCommands() = default;
    // A command line expanded for huidigebeller.
    virtual void aktie(const std::string& commandline) = 0;
    virtual void StartLanTelHost(const std::string& dir, const std::string& sjabloon) = 0;
};

// The monitor component on the line.
class RoadLine {
  public:
    virtual ~RoadLine() = default;
    virtual void RejectCall() = 0;
    virtual bool ResetCapi() = 0;
    virtual bool Open(int controller, int rejectTimeOut) = 0;
    virtual std::string ErrorString() const = 0;
};

struct RoadTime {
    std::string datum;  // "yyyy-mm-dd"
    std::string tijd;   // "hh:nn:ss"
};

class RoadClock {
  public:
    virtual ~RoadClock() = default;
    virtual RoadTime Now() = 0;
};

// The monitor window's status images.
enum class RoadImage { Image1 = 1, Image2, Image3, Image4, Image5, Image6 };
inline constexpr int kRoadImages = 6;

// The monitor window as the road drives it. Calls return at once; painting is the window's
// own business once control is back in the event loop.
class RoadView {
  public:
    virtual ~RoadView() = default;
    virtual void SetNummerLabel(const std::string& text) = 0;    // L_nummer
    virtual void SetGegevensLabel(const std::string& text) = 0;  // L_gegevens
    virtual void SetTeller(std::int32_t teller) = 0;             // lteller
    virtual void SetImageVisible(RoadImage image, bool visible) = 0;
    // The MSN's colours: window, Panel1, Panel3, Panel4 take `kleur`; the window's font,
    // L_nummer, L_gegevens and Panel4 take `font`.
    virtual void SetMsnColours(std::int32_t kleur, std::int32_t font) = 0;
    // An entry's KLEUR: Panel1, then Panel3 the same.
    virtual void SetPanel1Colour(std::int32_t kleur) = 0;
    // An entry's FONTKLEUR.
    virtual void SetGegevensFontColour(std::int32_t kleur) = 0;
    virtual void SetStayOnTop() = 0;
    // Shows the window, raised and activated.
    virtual void PopUp() = 0;
    virtual void ShowWindow() = 0;
    virtual void HideWindow() = 0;
    // Timer1: a one-shot pop-up time; when it runs out the window calls Timer1Timer.
    virtual void StartPopupTimer(int milliseconds) = 0;
    virtual void StopPopupTimer() = 0;
    virtual void AddMemoLine(const std::string& line) = 0;  // Memo1
    virtual void ClearMemo() = 0;
    virtual void SetMemoEnabled(bool enabled) = 0;
    virtual void SetHourglass(bool on) = 0;
    virtual void SetTrayTip(const std::string& tip) = 0;
    virtual void SetRejectEnabled(bool enabled) = 0;      // bkill
    virtual void SetMemoButtonEnabled(bool enabled) = 0;  // bmemoklapper
    virtual void SetCaption(const std::string& caption) = 0;
    // The hidden Memo2: the directory program's status lines.
    virtual void SetStatusMemo(const std::vector<std::string>& lines) = 0;
    // A notice that does not hold up the road.
    virtual void ShowNotice(const std::string& text) = 0;
};

// The DDE items ddenummer and ddenaam, each then placed on the clipboard with its link.
class RoadDde {
  public:
    virtual ~RoadDde() = default;
    virtual void Publish(const std::string& ddenummer, const std::string& ddenaam) = 0;
};

// Runs `work` once the current event has been handled.
class RoadPost {
  public:
    virtual ~RoadPost() = default;
    virtual void Post(std::function<void()> work) = 0;
};

// Every port the road needs.
struct RoadPorts {
    RoadPhoneBook& klapper;
    RoadCallLog& log;
    RoadDirectory& directory;
    RoadContacts& contacts;
    RoadSoundPlayer& sound;
    RoadCharacter& character;
    RoadCommands& commands;
    RoadLine& line;
    RoadClock& clock;
    RoadView& view;
    RoadDde& dde;
    RoadPost& post;
};

}  // namespace monitor
