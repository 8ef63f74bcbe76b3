#include <signal.h>
#include <unistd.h>

#include <QTest>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "components/ms_agent.h"
#include "platform/agent/qt_agent_control.h"

namespace {

// The speaking character on the real control while the stand-in espeak-ng holds its run open.
class MsAgentVoiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("ms-agent-voice-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        ::setenv("FAKE_ESPEAK_LOG", (folder_ / "run").c_str(), 1);
        ::setenv("FAKE_ESPEAK_MODE", "hang", 1);
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
        agent::SetAgentControlFactory([] {
            agent::QtAgentOptions options;
            options.speech = std::make_shared<Silent>();
            options.espeak.searchPath = FAKE_ESPEAK_DIR;
            return std::make_unique<agent::QtAgentControl>(std::move(options));
        });
        agent::SetAgentLogSink([](const std::string&) {});
    }
    void TearDown() override {
        FreeMsAgent();
        agent::SetAgentControlFactory(nullptr);
        agent::SetAgentLogSink(nullptr);
        for (const char* name : {"FAKE_ESPEAK_LOG", "FAKE_ESPEAK_MODE", "XDG_CONFIG_HOME"}) {
            ::unsetenv(name);
        }
        std::filesystem::remove_all(folder_);
    }

    struct Silent : agent::SpeechOutput {
        bool Play(const std::string&, const std::string&, const std::string&) override {
            return false;
        }
        State Current() const override { return State::Idle; }
        void Stop() override {}
        bool HasDevice() const override { return false; }
    };

    // Announces a caller and answers the pid of the espeak-ng run once it has started.
    pid_t AnnounceAndWaitForTheRun() {
        EXPECT_TRUE(StartMsAgent());
        MsAgent->SpeakWithAttention("Jan Jansen belt", 0, 0, 0);
        const auto pidFile = folder_ / "run.pid";
        EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(pidFile); }, 10000));
        QTest::qWait(50);
        std::ifstream in(pidFile);
        pid_t pid = 0;
        in >> pid;
        return pid;
    }
    static bool Gone(pid_t pid) { return ::kill(pid, 0) == -1 && errno == ESRCH; }

    std::filesystem::path folder_;
};

TEST_F(MsAgentVoiceTest, SwitchOffDuringASpeechLeavesNoProcess) {
    const pid_t pid = AnnounceAndWaitForTheRun();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(Gone(pid)) << "the run is held open";

    MsAgent->SwitchOff();

    EXPECT_EQ(MsAgent, nullptr);
    EXPECT_TRUE(Gone(pid));
}

TEST_F(MsAgentVoiceTest, FreeingAtTheEndDuringASpeechLeavesNoProcess) {
    const pid_t pid = AnnounceAndWaitForTheRun();
    ASSERT_GT(pid, 0);

    FreeMsAgent();

    EXPECT_TRUE(Gone(pid));
}

}  // namespace
