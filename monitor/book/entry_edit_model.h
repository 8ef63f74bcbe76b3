#pragma once

#include <array>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/book/held_record.h"
#include "monitor/sound_recording.h"
#include "platform/os/sound_recorder.h"

namespace db {
class TDataSet;
}
namespace xbase {
class TXbase;
}

namespace book {

// The colour popup's items and the words they write into KLEUR or FONTKLEUR; a separator
// follows the first.
struct KleurItem {
    const char* caption;
    const char* word;
};
inline constexpr std::array<KleurItem, 12> kKleurItems = {{
    {"Geen kleur", ""},
    {"Zwart", "zwart"},
    {"Rood", "rood"},
    {"Blauw", "blauw"},
    {"Wit", "wit"},
    {"Groen", "groen"},
    {"Geel", "geel"},
    {"Grijs", "grijs"},
    {"Donker grijs", "donker grijs"},
    {"Paars", "paars"},
    {"Marine blauw", "marine blauw"},
    {"Zilver", "zilver"},
}};

// What the entry edit window asks of the desktop and the sound system.
class EntryEditPorts {
  public:
    virtual ~EntryEditPorts() = default;
    // A box with an OK button.
    virtual void Melding(const std::string& text) = 0;
    // A warning with an OK button.
    virtual void Waarschuwing(const std::string& text) = 0;
    // A warning with Yes and Cancel; false for Cancel.
    virtual bool JaAnnuleren(const std::string& text) = 0;
    // The open dialog for a wave file, started in `folder`; nullopt when cancelled.
    virtual std::optional<std::string> WaveBestand(const std::string& folder) = 0;
    // An error raised by the table.
    virtual void Fout(const std::exception& error) = 0;
    // Plays a file through the program's sound player without waiting; false when it cannot.
    virtual bool Speel(const std::string& path) = 0;
    // The recorder of the settings.
    virtual std::unique_ptr<os::SoundRecorder> Recorder() = 0;
};

// The entry edit window's rules without its window. Each action holds the entry that was
// current when the user began it (a popup opened, the command-line editor opened) and writes
// there, even when the navigator or a call's lookup has moved the table meanwhile; an entry
// that is gone gets nothing and the user is told.
class EntryEditModel {
  public:
    EntryEditModel(db::TDataSet& table, xbase::TXbase& engine, EntryEditPorts& ports);
    ~EntryEditModel();
    EntryEditModel(const EntryEditModel&) = delete;
    EntryEditModel& operator=(const EntryEditModel&) = delete;

    // The colour popup opens for target 1 (KLEUR) or 2 (FONTKLEUR).
    void KleurPopup(int target);
    int KleurDoel() const { return kleurDoel_; }
    // Item n of kKleurItems was chosen.
    void Kleur(int item);

    // The sound popup opens.
    void GeluidPopup();
    // "Opnemen": starts the recorder; true while it runs (the window then offers to stop it).
    bool OpnemenStarten();
    const std::string& OpnameNaam() const { return opnameNaam_; }
    bool OpnameLoopt() const { return recording_.Running(); }
    void OpnameStoppen();
    bool OpnameAfgelopen();
    void OpnameDoden();
    // The recording ended: GELUID takes its name when it left a new, non-empty file.
    void OpnameKlaar();
    void Openen();
    void Test();
    void Wis();

    // The command-line editor opens: the text and caption it shows.
    struct CommandlineEditor {
        std::string text;
        std::string caption;
    };
    CommandlineEditor CommandlineOpenen();
    // The editor's OK. A text the table cannot hold raises before anything is written, so the
    // editor keeps it for the user to change.
    void cmdlineinput(const std::string& text);

    // Closing: posts a pending edit or insert and commits; false (the error shown) keeps the
    // window open.
    bool Sluiten();

  private:
    struct Action {
        HeldRecord held;
        std::string nummer;
        std::string geluid;
        std::string cmdline;
    };
    void Begin(Action& action);
    void Write(Action& action, std::string_view field, const std::string& value);

    db::TDataSet& table_;
    xbase::TXbase& engine_;
    EntryEditPorts& ports_;

    Action kleur_;
    int kleurDoel_ = 1;
    Action geluid_;
    Action commandline_;

    monitor::SoundRecording recording_;
    Action opname_;
    std::string opnameNaam_;
};

}  // namespace book
