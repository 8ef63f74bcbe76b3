#pragma once

// The road host on the program's own pieces: the phone book and the call log over the engine
// library in a scratch program folder, the line on the in-process simulated line, the sound
// player on a recording output, the speaking character on the fake control, the tray icon on
// the fake shell and the directory program played by fake_foongrep. Only the window is a
// recording double.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "capi/capi_monitor.h"
#include "capi/tests/sim_line.h"
#include "components/tray_icon.h"
#include "components/wave_file_list.h"
#include "monitor/book/telefoon_log.h"
#include "monitor/book/telefoon_log_port.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/call_road_host.h"
#include "monitor/tests/recording_road_view.h"
#include "platform/agent/fake_agent_control.h"
#include "platform/os/fake_tray_shell.h"
#include "platform/os/recording_sound_output.h"

namespace monitor::testing {

class RecordingDde : public RoadDde {
  public:
    void Publish(const std::string& nummer, const std::string& naam) override {
        items.emplace_back(nummer, naam);
    }
    std::vector<std::pair<std::string, std::string>> items;
};

// The call-log window around its core: keeps the boxes it would show.
class LogWindow : public book::TelefoonLogPort {
  public:
    void SplashStep(const std::string&) override {}
    void ErrorBox(const std::string& text) override { boxes.push_back(text); }
    void MessageBox(const std::string& text) override { boxes.push_back(text); }
    void ShowException(const std::string& text) override { boxes.push_back(text); }
    void RestoreWindowLayout() override {}
    void StoreWindowLayout() override {}
    void LoadGridLayout(const std::string&) override {}
    void SaveGridLayout(const std::string&) override {}
    void ShowCounter(const std::string&) override {}
    void CheckSortItem(int index) override { checked = index; }
    int CheckedSortItem() const override { return checked; }

    std::vector<std::string> boxes;
    int checked = -1;
};

class RoadLineTest : public book::testing::KlapperTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A wave file of `milliseconds` in the program's sound folder.
    void Sound(const std::string& file, int milliseconds);
    // What fake_foongrep does per number: "number\tmode\tline" rows.
    void Directory(const std::string& rows);
    // Writes fields of the phone-book entry with this number through the table.
    void SetEntry(const std::string& nummer,
                  const std::vector<std::pair<std::string, std::string>>& fields);

    // Starts the phone book and the call log.
    void BeginTables();
    // BeginTables, then the line (RejectTimeOut afwijstijd) and the host; returns once the
    // line listens.
    void Begin();
    // The names of the sound files the output has opened, in order.
    std::vector<std::string> SoundsOpened() const;
    // The call log's file as the table tool dumps it.
    std::string LogDump() const;
    // The CONNECT_RESP the monitor put for each call, by PLCI: its Reject value.
    std::vector<std::pair<std::uint32_t, int>> ConnectResponses() const;
    // The tips the tray shell was given, in order.
    std::vector<std::string> TrayTips() const;

    std::unique_ptr<capi::test::SimLine> sim;
    std::shared_ptr<os::RecordingSoundOutput> soundOut;
    std::unique_ptr<os::SoundPlayer> player;
    std::unique_ptr<TWaveFileList> wave;
    os::FakeTrayShell* trayShell = nullptr;
    std::unique_ptr<TTrayIcon> tray;
    std::shared_ptr<agent::testing::FakeAgentScript> agentScript =
        std::make_shared<agent::testing::FakeAgentScript>();
    LogWindow logPort;
    std::unique_ptr<book::TelefoonLog> log;
    std::unique_ptr<capi::TBelverin> line;
    RecordingRoadView view;
    RecordingDde dde;
    int memosShown = 0;
    std::unique_ptr<CallRoadHost> host;
};

}  // namespace monitor::testing
