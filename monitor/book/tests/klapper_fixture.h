#pragma once

// The phone book over the engine library, in a scratch program folder that starts with the
// build's empty table. Skipped while the build has no engine library.

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/klapper_core.h"
#include "monitor/book/klapper_port.h"
#include "platform/rtl/ini_file.h"
#include "xbase/engine_library.h"

namespace book::testing {

// One entry as the fixture writes it; fields left empty stay blank.
struct Entry {
    std::string nummer;
    std::string naam;
    std::string plaats = {};
    bool deleted = false;
};

// Records what the core asks of the desktop and answers its questions from a queue
// (no answer: Cancel).
class RecordingPort : public KlapperPort {
  public:
    bool AskYesCancel(const std::string& text) override;
    void ErrorBox(const std::string& text) override { shown.push_back("error: " + text); }
    void Message(const std::string& text) override { shown.push_back("message: " + text); }
    void SplashStep(const std::string& text) override { shown.push_back("splash: " + text); }
    void ShowMonitor() override { shown.push_back("show monitor"); }
    void HideKlapper() override { shown.push_back("hide klapper"); }
    void Busy(bool on) override { busy += on ? 1 : -1; }
    void StateChanged() override { ++changes; }

    // The boxes, questions and window calls, without the splash line.
    std::vector<std::string> Boxes() const;

    std::deque<bool> answers;
    std::vector<std::string> shown;
    int busy = 0;
    int changes = 0;
};

class KlapperTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the entries into the program folder's table through the engine.
    void AddEntries(const std::vector<Entry>& entries);
    // A fresh core on the folder, started up.
    KlapperCore& Start();
    // Ends the current core (closing, then program end) as the window does.
    void Stop();
    // The NUMMER of every record the table shows, in its order.
    std::vector<std::string> Column(const char* field);
    // Records in the table's file, deleted ones included, read by a separate open.
    int RecordsOnDisk();
    std::string TablePath() const { return folder + "belverintel.DBF"; }

    std::unique_ptr<xbase::EngineLibrary> library;
    std::string folder;
    std::unique_ptr<rtl::TIniFile> ini;
    RecordingPort port;
    std::unique_ptr<KlapperCore> core;
};

}  // namespace book::testing
