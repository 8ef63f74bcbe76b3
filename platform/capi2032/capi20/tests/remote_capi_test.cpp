// The libcapi20 adapter through Debian's real libcapi20 and its "fritzbox" remote CAPI driver,
// against a remote CAPI of our own: the monitor program and the monitor component in processes
// of their own, with a HOME whose .capi20rc names the server.

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/capi2032/capi20/tests/remote_capi_server.h"
#include "platform/os/tests/child_pipe.h"
#include "platform/xbase32/xbase32.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using remote_capi::Bytes;
using remote_capi::Word;

namespace {

constexpr uint16_t kListenReq = 0x0580;
constexpr uint16_t kAlertReq = 0x0180;
constexpr uint16_t kConnectResp = 0x0283;
constexpr uint16_t kConnectActiveResp = 0x0383;
constexpr uint16_t kConnectB3Resp = 0x8283;
constexpr uint16_t kDisconnectReq = 0x0480;
constexpr uint16_t kDisconnectResp = 0x0483;
constexpr uint16_t kNormalClearing = 0x3490;
constexpr const char* kLineLostText =
    "Protocol error layer 1 (broken line or B-channel removed by signalling protocol) ($3301)";

struct LogRow {
    std::string nummer, naam, msn, zoekstatus;
};

class RemoteCapiRun : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "belverin-remote-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        folder_ = root_ + "/program";
        fs::copy(BELVERIN_PROGRAM_DIR, folder_, fs::copy_options::recursive);
        fs::copy_file(ADAPTER, folder_ + "/libcapi2032.so", fs::copy_options::overwrite_existing);
        fs::create_directories(root_ + "/home");
        fs::create_directories(root_ + "/runtime");
        fs::permissions(root_ + "/runtime", fs::perms::owner_all, fs::perm_options::replace);
        std::ofstream(root_ + "/home/.capi20rc")
            << "REMOTE fritzbox 127.0.0.1 " << server_.Port() << "\n";
    }
    void TearDown() override { fs::remove_all(root_); }

    std::map<std::string, std::string> Env() const {
        return {{"XDG_RUNTIME_DIR", root_ + "/runtime"},
                {"HOME", root_ + "/home"},
                {"XDG_CONFIG_HOME", root_ + "/home/.config"},
                {"XDG_DATA_HOME", root_ + "/home/.local/share"},
                {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root_ + "/no-bus"},
                {"LD_LIBRARY_PATH", ""},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"ASAN_OPTIONS", "detect_leaks=0"}};
    }

    void WriteIni(const std::string& text) { std::ofstream(folder_ + "/belvo.ini") << text; }

    void AddEntry(const std::map<const char*, std::string>& fields) {
        const std::string table = folder_ + "/belverintel.DBF";
        ASSERT_NE(sx_Use(table.c_str(), "BOOK", SX_EXCLUSIVE, SX_FOX), 0);
        ASSERT_EQ(sx_AppendEx(), 0);
        for (const auto& [field, value] : fields) {
            sx_Replace(field, SX_R_CHAR, value.c_str());
        }
        sx_Commit();
        sx_Close();
    }

    std::vector<LogRow> LogRows() const {
        std::vector<LogRow> rows;
        const std::string table = folder_ + "/belverinlog.DBF";
        if (sx_Use(table.c_str(), "READLOG", SX_READONLY, SX_FOX) == 0) {
            return rows;
        }
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            rows.push_back({sx_GetTrimString("NUMMER"), sx_GetTrimString("NAAM"),
                            sx_GetTrimString("MSN"), sx_GetTrimString("ZOEKSTATUS")});
        }
        sx_Close();
        return rows;
    }

    std::vector<LogRow> WaitForLogRows(size_t n) const {
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        std::vector<LogRow> rows = LogRows();
        while (rows.size() < n && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(100ms);
            rows = LogRows();
        }
        return rows;
    }

    std::unique_ptr<os::testing::ChildPipe> StartMonitor() {
        auto monitor = std::make_unique<os::testing::ChildPipe>(
            std::vector<std::string>{folder_ + "/belverin"}, Env());
        const auto line = monitor->WaitForLine("Belverin: listening", 60s);
        EXPECT_TRUE(line.has_value()) << "the monitor did not open its line";
        return monitor;
    }

    // The program runs on the real library and its remote driver, not on a stand-in.
    static void ExpectRealLibrary(pid_t pid) {
        std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
        const std::string all((std::istreambuf_iterator<char>(maps)), {});
        EXPECT_NE(all.find(fs::canonical(REAL_LIBCAPI20).string()), std::string::npos) << all;
        EXPECT_NE(all.find("lib_capi_mod_fritzbox.so"), std::string::npos);
        EXPECT_EQ(all.find("capi20_double"), std::string::npos);
    }

    Bytes Expect(uint16_t command, int n = 0) {
        const auto m = server_.WaitForMessage(command, n);
        EXPECT_TRUE(m.has_value()) << std::hex << "no message 0x" << command << " #" << n;
        return m.value_or(Bytes(16, 0));
    }

    remote_capi::Server server_;
    std::string root_;
    std::string folder_;
};

// Seconds of processor time the process has used.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) {
            ticks += std::stol(field);
        }
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

TEST_F(RemoteCapiRun, AnOfferedCallIsLoggedWithTheBooksNameAndItsMsn) {
    WriteIni("[msn0]\nnummer=5551234\n");
    AddEntry({{"NUMMER", "0301234567"}, {"VOORNAAM", "Jan"}, {"NAAM", "Jansen"}});
    auto monitor = StartMonitor();
    ASSERT_TRUE(server_.WaitForRegistrations(1));
    ExpectRealLibrary(monitor->Pid());

    // The monitoring listen: controller 1, every speech and data service.
    const Bytes listen = Expect(kListenReq);
    EXPECT_EQ(listen.size(), 29u);
    EXPECT_EQ(Word(listen, 2), server_.ApplId());
    EXPECT_EQ(remote_capi::Dword(listen, 8), 1u);
    EXPECT_EQ(remote_capi::Dword(listen, 16), 0x1FFF03FEu);

    server_.OfferCall(0x0101, "0301234567", "5551234", 16);
    EXPECT_EQ(remote_capi::Dword(Expect(kAlertReq), 8), 0x0101u);
    // Left to ring its second, then left to the other devices.
    const Bytes ignored = Expect(kConnectResp);
    EXPECT_EQ(ignored.size(), 19u);
    EXPECT_EQ(remote_capi::Dword(ignored, 8), 0x0101u);
    EXPECT_EQ(Word(ignored, 12), 1);
    server_.HangUp(0x0101, kNormalClearing);
    EXPECT_EQ(remote_capi::Dword(Expect(kDisconnectResp), 8), 0x0101u);

    const auto rows = WaitForLogRows(1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].nummer, "0301234567");
    EXPECT_EQ(rows[0].naam, "Jansen");
    EXPECT_EQ(rows[0].msn, "5551234");
    EXPECT_EQ(rows[0].zoekstatus, "In de Klapper gevonden");

    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(30s), 0);
}

struct RejectCase {
    const char* name;
    const char* msn_reject;    // [msn0] afwijzen
    const char* entry_reject;  // the entry's AFWIJZEN, or none
    const char* zoekstatus;
};

std::ostream& operator<<(std::ostream& os, const RejectCase& c) {
    return os << c.name;
}

class RemoteCapiReject : public RemoteCapiRun, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(RemoteCapiReject, TheCallIsTakenItsB3RefusedAndItIsCleared) {
    const RejectCase& c = GetParam();
    WriteIni(std::string("[capi]\nafwijstijd=5\n[msn0]\nnummer=5551234\nafwijzen=") + c.msn_reject +
             "\n");
    if (c.entry_reject != nullptr) {
        AddEntry({{"NUMMER", "0301234567"}, {"NAAM", "Jansen"}, {"AFWIJZEN", c.entry_reject}});
    }
    auto monitor = StartMonitor();
    Expect(kListenReq);
    ExpectRealLibrary(monitor->Pid());

    server_.OfferCall(0x0201, "0301234567", "5551234", 16);
    const Bytes taken = Expect(kConnectResp);
    // Reject 0 with B1 1, B2 1, B3 0 and three empty configurations; every other struct empty.
    const Bytes expected_tail = {0x00, 0x00, 0x09, 0x01, 0x00, 0x01, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_EQ(taken.size(), 28u);
    EXPECT_EQ(remote_capi::Dword(taken, 8), 0x0201u);
    EXPECT_EQ(Bytes(taken.begin() + 12, taken.end()), expected_tail);

    server_.ConnectActive(0x0201);
    Expect(kConnectActiveResp);
    server_.ConnectB3(0x00010201);
    const Bytes b3 = Expect(kConnectB3Resp);
    EXPECT_EQ(remote_capi::Dword(b3, 8), 0x00010201u);
    EXPECT_EQ(Word(b3, 12), 2) << "the B3 connection is refused";
    EXPECT_EQ(remote_capi::Dword(Expect(kDisconnectReq), 8), 0x0201u);
    server_.HangUp(0x0201, kNormalClearing);
    Expect(kDisconnectResp);

    const auto rows = WaitForLogRows(1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].zoekstatus, c.zoekstatus);
    EXPECT_EQ(rows[0].msn, "5551234");

    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(30s), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RemoteCapiReject,
    ::testing::Values(RejectCase{"PerMsn", "1", nullptr, "Afgewezen op deze MSN (niet opgezocht)"},
                      RejectCase{"PerEntry", "0", "1000000000", "Afgewezen via Klapper"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemoteCapiRun, AServerThatGoesAwayLeavesTheMonitorRunningAndIsHeardOnceBack) {
    // The call still rings when the server goes: its ring time runs out with nobody there.
    WriteIni("[capi]\nafwijstijd=2\n[msn0]\nnummer=5551234\n");
    auto monitor = StartMonitor();
    Expect(kListenReq);
    server_.OfferCall(0x0301, "0301234567", "5551234", 16);
    Expect(kAlertReq);
    server_.GoAway();

    // Running, quiet and not spinning while the server is away.
    EXPECT_FALSE(monitor->Wait(3s)) << "the monitor ended when its line went away";
    const double before = CpuSeconds(monitor->Pid());
    std::this_thread::sleep_for(2s);
    EXPECT_LT(CpuSeconds(monitor->Pid()) - before, 0.5) << "seconds of processor time in 2 s";

    ASSERT_TRUE(server_.ComeBack());
    ASSERT_TRUE(server_.WaitForRegistrations(2, 30s)) << "never registered again";
    Expect(kListenReq, 1);
    server_.OfferCall(0x0302, "0301234567", "5551234", 16);
    Expect(kConnectResp);
    server_.HangUp(0x0302, kNormalClearing);
    EXPECT_EQ(WaitForLogRows(2).size(), 2u) << "both calls logged";

    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(30s), 0) << "a stop after the line came back";
}

TEST_F(RemoteCapiRun, AStopWhileTheServerIsAwayEndsCleanly) {
    WriteIni("[msn0]\nnummer=5551234\n");
    auto monitor = StartMonitor();
    Expect(kListenReq);
    server_.GoAway();
    EXPECT_FALSE(monitor->Wait(1s)) << "the monitor ended when its line went away";
    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(30s), 0) << "its release and wake-up go nowhere, quietly";
}

// The status text the monitor's caption shows, from the monitor component in a process alone.
TEST_F(RemoteCapiRun, TheStatusSaysTheLineIsLostAndOkOnceItIsBack) {
    fs::copy_file(LINE_PROBE, folder_ + "/probe");
    os::testing::ChildPipe probe({folder_ + "/probe", "30"}, Env());
    ASSERT_EQ(probe.WaitForLine("open=", 30s), "open=true text=OK");
    ASSERT_TRUE(server_.WaitForMessage(kListenReq));
    ExpectRealLibrary(probe.Pid());
    server_.OfferCall(0x0401, "0301234567", "5551234", 16);
    ASSERT_EQ(probe.WaitForLine("call="), "call=0301234567,5551234,16,telephony");
    ASSERT_TRUE(server_.WaitForMessage(kAlertReq));

    server_.GoAway();
    // The ringing call ends (idle again), then the listen (nothing to change any more).
    std::vector<std::string> lines;
    while (lines.size() < 2) {
        const auto line = probe.ReadLine(15s);
        if (!line) {
            break;
        }
        lines.push_back(*line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{std::string("state=0,1 text=") + kLineLostText,
                                               std::string("state=0,0 text=") + kLineLostText}));

    ASSERT_TRUE(server_.ComeBack());
    EXPECT_EQ(probe.WaitForLine("state=0,1 text=OK", 30s), "state=0,1 text=OK");
    EXPECT_EQ(server_.Count(kListenReq), 2);

    probe.CloseInput();
    EXPECT_EQ(probe.Wait(30s), 0);
}

}  // namespace
