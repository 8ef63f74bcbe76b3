// The monitor program in real processes, offscreen, on the simulated line, each run in a program
// folder of its own laid out as the build lays it out.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/os/staged_swap.h"
#include "platform/os/tests/child_pipe.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class ProgramRun : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "belverin-run-XXXXXX").string();
        root_ = ::mkdtemp(tmpl.data());
        folder_ = root_ + "/program";
        runtime_ = root_ + "/runtime";
        fs::create_directory(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all, fs::perm_options::replace);
        fs::copy(BELVERIN_PROGRAM_DIR, folder_, fs::copy_options::recursive);
        fs::create_directories(root_ + "/home");
    }
    void TearDown() override { fs::remove_all(root_); }

    void WriteIni(const std::string& text) { std::ofstream(folder_ + "/belvo.ini") << text; }

    std::map<std::string, std::string> Env() const {
        return {{"XDG_RUNTIME_DIR", runtime_},
                {"CAPISIM_SOCKET", runtime_ + "/capisim.sock"},
                {"HOME", root_ + "/home"},
                {"XDG_CONFIG_HOME", root_ + "/home/.config"},
                {"XDG_DATA_HOME", root_ + "/home/.local/share"},
                {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + root_ + "/no-bus"},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"ASAN_OPTIONS", "detect_leaks=0"}};
    }
    std::unique_ptr<os::testing::ChildPipe> Start() {
        return std::make_unique<os::testing::ChildPipe>(
            std::vector<std::string>{folder_ + "/belverin"}, Env());
    }
    std::string Capisim(const std::vector<std::string>& args) {
        std::vector<std::string> argv = {folder_ + "/capisim"};
        argv.insert(argv.end(), args.begin(), args.end());
        os::testing::ChildPipe run(argv, Env());
        std::string all;
        while (auto line = run.ReadLine(5s)) {
            all += *line + "\n";
        }
        run.Wait();
        return all;
    }

    // The record count in the call log's header.
    unsigned LogRecords() const {
        std::ifstream dbf(folder_ + "/belverinlog.DBF", std::ios::binary);
        unsigned char header[8] = {};
        dbf.read(reinterpret_cast<char*>(header), sizeof header);
        return header[4] | header[5] << 8 | header[6] << 16 | header[7] << 24;
    }

    std::string root_;
    std::string folder_;
    std::string runtime_;
};

// The steps the program names, with when each came, up to the line's answer.
struct Steps {
    std::vector<std::string> texts;
    std::vector<Clock::time_point> at;
    std::string line;
};
Steps ReadSteps(os::testing::ChildPipe& program) {
    Steps steps;
    while (auto l = program.ReadLine(60s)) {
        if (l->rfind("Belverin: listening", 0) == 0 || l->rfind("Belverin: no line", 0) == 0) {
            steps.line = *l;
            break;
        }
        if (l->rfind("Belverin: ", 0) == 0) {
            steps.texts.push_back(l->substr(10));
            steps.at.push_back(Clock::now());
        }
    }
    return steps;
}

long IndexOf(const std::vector<std::string>& texts, const std::string& text) {
    for (size_t i = 0; i < texts.size(); ++i) {
        if (texts[i] == text) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

TEST_F(ProgramRun, StepsInOrderTheLineLastAndTheStartDelay) {
    struct Case {
        std::string configured;
        std::string shown;
        bool waits;
    };
    for (const Case& c : {Case{"2", "Startvertraging (2 seconden)", true},
                          Case{"0", "Startvertraging (0 seconden)", false},
                          Case{"-5", "Startvertraging (0 seconden)", false}}) {
        WriteIni("[algemeen]\nstartvertraging=" + c.configured + "\n[msn0]\nnummer=5551234\n");
        auto program = Start();
        const Steps steps = ReadSteps(*program);
        ASSERT_GE(steps.texts.size(), 3u) << c.configured;
        EXPECT_EQ(steps.texts[0], c.shown);
        EXPECT_EQ(steps.texts[1], "Instellingen laden");
        const auto gap = steps.at[1] - steps.at[0];
        if (c.waits) {
            EXPECT_GE(gap, 1900ms);
        } else {
            EXPECT_LT(gap, 1500ms) << c.configured;
        }
        // Every table is open before the line: "Capi laden " comes after the tables' texts.
        const long capi = IndexOf(steps.texts, "Capi laden ");
        EXPECT_EQ(capi, static_cast<long>(steps.texts.size()) - 1);
        const long log = IndexOf(steps.texts, "Log database laden en indexen maken ");
        const long book = IndexOf(steps.texts, "Klapper database laden en indexen maken ");
        EXPECT_GT(log, 1);
        EXPECT_GT(book, log);
        EXPECT_GT(capi, book);
        EXPECT_EQ(steps.line, "Belverin: listening on controller 1");

        program->Signal(SIGTERM);
        EXPECT_EQ(program->Wait(30s), 0) << c.configured;
    }
}

TEST_F(ProgramRun, StopSignalsEndItCleanlyAndLeaveNothingOnTheLine) {
    unsigned calls = 0;
    for (int sig : {SIGTERM, SIGINT}) {
        auto program = Start();
        ASSERT_EQ(ReadSteps(*program).line, "Belverin: listening on controller 1");
        EXPECT_NE(Capisim({"status"}).find("applications: 1"), std::string::npos);
        const std::string call = Capisim({"call", "0301234567", "5551234"});
        EXPECT_NE(call.find("offered to 1"), std::string::npos) << call;
        ++calls;
        // A call is handled from the event loop; the stop comes once it is in the log.
        for (int i = 0; i < 100 && LogRecords() < calls; ++i) {
            std::this_thread::sleep_for(100ms);
        }
        program->Signal(sig);
        EXPECT_EQ(program->Wait(30s), 0) << sig;
        // The simulated line lives in the program: once ended, nothing is registered on it.
        EXPECT_EQ(Capisim({"status"}).find("applications: 1"), std::string::npos);
    }
    // Each run logged its call; the tables were left whole and free for the next start.
    auto again = Start();
    EXPECT_EQ(ReadSteps(*again).line, "Belverin: listening on controller 1");
    again->Signal(SIGTERM);
    EXPECT_EQ(again->Wait(30s), 0);
    EXPECT_EQ(LogRecords(), 2u);
}

TEST_F(ProgramRun, ATableHeldElsewhereGivesItsBoxWhileNothingListens) {
    os::testing::ChildPipe holder({BELVERIN_TABLE_HOLD_PROBE, folder_ + "/belverinlog.DBF"}, Env());
    ASSERT_EQ(holder.ReadLine(), "held");
    auto program = Start();
    // The log window's start stops at its error box; the line is not open behind it.
    ASSERT_TRUE(program->WaitForLine("Belverin: Log database laden en indexen maken ", 30s));
    std::string status;
    for (int i = 0; i < 10 && status.empty(); ++i) {
        std::this_thread::sleep_for(200ms);
        status = Capisim({"status"});
    }
    EXPECT_EQ(status.find("applications: 1"), std::string::npos) << status;
    EXPECT_FALSE(program->Wait(1s)) << "the box waits for the user";
    program->Signal(SIGKILL);
    program->Wait();
}

// A display that is named but cannot be reached, or none at all: one line and status 1, where Qt
// would abort with several.
TEST_F(ProgramRun, WithoutAReachableDisplayOneLineAndStatusOne) {
    const std::string unreachable = ":4711";
    ASSERT_FALSE(fs::exists("/tmp/.X11-unix/X4711"));
    struct Case {
        std::string display;
        std::string platform;
        std::string line;
    };
    const Case cases[] = {
        {unreachable, "",
         "Belverin: cannot reach the display :4711; start it from a desktop session."},
        {unreachable, "xcb",
         "Belverin: cannot reach the display :4711; start it from a desktop session."},
        {"", "", "Belverin: no display (DISPLAY is empty); start it from a desktop session."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display + " " + c.platform);
        auto env = Env();
        env["DISPLAY"] = c.display;
        env["QT_QPA_PLATFORM"] = c.platform;
        env["WAYLAND_DISPLAY"] = "";
        env["XDG_SESSION_TYPE"] = "";
        os::testing::ChildPipe program({folder_ + "/belverin"}, env, true);
        std::vector<std::string> lines;
        while (auto line = program.ReadLine(30s)) {
            lines.push_back(*line);
        }
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
        EXPECT_EQ(program.Wait(30s), 1);
    }
}

// A setup stopped after its journal reached the disk: the program finishes the update before it
// opens a table, then starts as usual.
TEST_F(ProgramRun, AnUpdateLeftWithItsJournalIsFinishedAndTheProgramStarts) {
    const std::string newIni = "[msn0]\nnummer=5551234\n; na de update\n";
    WriteIni("[msn0]\nnummer=5559999\n");
    os::StagedSwap swap(folder_);
    swap.Prepare();
    std::ofstream(swap.StagedPath("belvo.ini")) << newIni;
    fs::copy_file(folder_ + "/belverinlog.DBF", swap.StagedPath("belverinlog.DBF"));
    os::SetSwapStepHook([](std::string_view step) {
        if (step == "journal") {
            throw std::runtime_error("stopped");
        }
    });
    EXPECT_THROW(swap.Commit({"belvo.ini", "belverinlog.DBF"}), std::runtime_error);
    os::SetSwapStepHook(nullptr);
    const std::string journal = folder_ + "/" + std::string(os::StagedSwap::kJournalName);
    ASSERT_TRUE(fs::exists(journal));

    auto program = Start();
    EXPECT_EQ(ReadSteps(*program).line, "Belverin: listening on controller 1");
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_FALSE(fs::exists(swap.StagingFolder()));
    std::ifstream ini(folder_ + "/belvo.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(ini), {}), newIni);
    // The finished update's first number is the one that logs.
    const std::string call = Capisim({"call", "0301234567", "5551234"});
    for (int i = 0; i < 100 && LogRecords() < 1; ++i) {
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(LogRecords(), 1u) << call;
    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(30s), 0);
}

}  // namespace
