#include "monitor/tests/road_line_fixture.h"

#include <sndfile.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "capi/capi_commands.h"
#include "capi/capi_receive_thread.h"
#include "components/ms_agent.h"
#include "monitor/settings.h"
#include "platform/db/field.h"
#include "platform/os/process_start.h"
#include "platform/os/tests/wave_fixture.h"
#include "platform/rtl/program_folder.h"
#include "platform/xbase32/table_tool.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace monitor::testing {

namespace fs = std::filesystem;

void RoadLineTest::SetUp() {
    KlapperTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    sim = std::make_unique<capi::test::SimLine>();
    for (const char* file : {"belverinlog.DBF", "belverinlog.FPT"}) {
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/" + file, folder + file);
    }
    rtl::SetProgramDir(folder);
    fs::create_directories(folder + "geluid");
    fs::create_directories(folder + "Foon grep");
    fs::create_symlink(BELVERIN_FAKE_FOONGREP, folder + "Foon grep/foongrep");
    Directory("");
    ::setenv("FAKE_FOONGREP_FIXTURE", (folder + "fixture").c_str(), 1);

    soundOut = std::make_shared<os::RecordingSoundOutput>();
    player = std::make_unique<os::SoundPlayer>(soundOut, [](const std::string&) {});
    wave = std::make_unique<TWaveFileList>(nullptr, player.get());

    auto shell = std::make_unique<os::FakeTrayShell>();
    trayShell = shell.get();
    tray = std::make_unique<TTrayIcon>(nullptr, std::move(shell));
    tray->SetActive(true);

    agent::testing::InstallFakeAgentControl(agentScript);
    ASSERT_TRUE(StartMsAgent());
    agentScript->requests.clear();

    auto& msn = instellingen.msninstellingen[0];
    msn.nummer = "5551234";
    msn.naam = "Thuis";
    instellingen.foongrepdir = "Foon grep";
    instellingen.afwijstijd = 1;
    instellingen.monitorpopuptijd = 5;
}

void RoadLineTest::TearDown() {
    host.reset();
    line.reset();
    if (sim) {
        EXPECT_TRUE(capi::test::PumpUntil([] { return capi::TCapiCallBack::Running() == 0; }));
        EXPECT_TRUE(capi::test::PumpUntil([] { return os::UncollectedChildren() == 0; }, 10000));
        sim->Reset();
    }
    if (log) {
        log->FormDestroy();
        log.reset();
    }
    wave.reset();
    player.reset();
    tray.reset();
    FreeMsAgent();
    agent::SetAgentControlFactory(nullptr);
    ::unsetenv("FAKE_FOONGREP_FIXTURE");
    rtl::SetProgramDir("");
    KlapperTest::TearDown();
}

void RoadLineTest::Sound(const std::string& file, int milliseconds) {
    os::testing::WriteWave(folder + "geluid/" + file, 8000, 1, milliseconds * 8, SF_FORMAT_PCM_16);
}

void RoadLineTest::Directory(const std::string& rows) {
    std::ofstream(folder + "fixture", std::ios::binary | std::ios::trunc) << rows;
}

void RoadLineTest::SetEntry(const std::string& nummer,
                            const std::vector<std::pair<std::string, std::string>>& fields) {
    xbase::TTable& t = core->t2();
    ASSERT_TRUE(t.Locate("NUMMER", {db::TFieldValue(nummer)}, 0)) << nummer;
    t.Edit();
    for (const auto& [field, value] : fields) {
        t.FieldByName(field).SetAsString(value);
    }
    t.Post();
    core->a2().Commit();
}

void RoadLineTest::BeginTables() {
    log = std::make_unique<book::TelefoonLog>(folder, *ini, logPort);
    Start();
    log->FormCreate();
    ASSERT_TRUE(log->t1().Active());
}

void RoadLineTest::Begin() {
    BeginTables();
    if (HasFatalFailure()) {
        return;
    }
    line = std::make_unique<capi::TBelverin>();
    host = std::make_unique<CallRoadHost>(CallRoadHost::Parts{
        *core, *log, *wave, *line, view, dde, tray.get(), [this] { ++memosShown; }});
    const std::size_t mark = sim->Mark();
    ASSERT_TRUE(line->Open(1, instellingen.afwijstijd));
    ASSERT_TRUE(capi::test::PumpUntil([&] {
        const auto all = sim->Transcript();
        for (std::size_t i = mark; i < all.size(); ++i) {
            if (all[i].toApplication && all[i].command == capi::kListenConf) {
                return true;
            }
        }
        return false;
    }));
}

std::vector<std::string> RoadLineTest::SoundsOpened() const {
    std::vector<std::string> names;
    for (const auto& r : soundOut->Records()) {
        names.push_back(fs::path(r.info.name).filename().string());
    }
    return names;
}

std::string RoadLineTest::LogDump() const {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(xb::RunTableTool({"dump", folder + book::kLogTableName}, out, err), 0) << err.str();
    return out.str();
}

std::vector<std::pair<std::uint32_t, int>> RoadLineTest::ConnectResponses() const {
    std::vector<std::pair<std::uint32_t, int>> found;
    for (const capi::test::LineEntry& e : sim->Transcript()) {
        if (!e.toApplication && e.command == capi::kConnectResp && e.bytes.size() >= 14) {
            found.emplace_back(e.address, e.bytes[12] | (e.bytes[13] << 8));
        }
    }
    return found;
}

std::vector<std::string> RoadLineTest::TrayTips() const {
    std::vector<std::string> tips;
    for (const auto& call : trayShell->calls) {
        if (call.op == "modify") {
            tips.push_back(call.tip);
        }
    }
    return tips;
}

}  // namespace monitor::testing
