#include <signal.h>
#include <unistd.h>

#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "platform/agent/tests/agent_test_support.h"

namespace agent::testing {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Speech through the stand-in espeak-ng, which records what it got.
class EspeakSpeechTest : public QtControlFixture, public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("agent-espeak-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        ::setenv("FAKE_ESPEAK_LOG", (folder_ / "run").c_str(), 1);
        Mode("wav");
    }
    void TearDown() override {
        control.reset();
        ::unsetenv("FAKE_ESPEAK_LOG");
        ::unsetenv("FAKE_ESPEAK_MODE");
        std::filesystem::remove_all(folder_);
    }
    void Mode(const char* mode) { ::setenv("FAKE_ESPEAK_MODE", mode, 1); }

    // Speaks on a shown character and waits until the run has answered.
    QtCharacter& SpeakAndWait(const std::string& text, int languageId = 1043) {
        QtCharacter& c = Load();
        c.SetLanguageID(languageId);
        c.Show(true);
        c.Speak(text);
        control->Advance(0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !c.Espeak().Running(); }, 5000));
        QCoreApplication::processEvents();
        return c;
    }
    std::string Args() { return ReadFile(folder_ / "run.args"); }
    std::string Input() { return ReadFile(folder_ / "run.input"); }
    pid_t RunPid() { return static_cast<pid_t>(std::stol(ReadFile(folder_ / "run.pid"))); }
    static bool Gone(pid_t pid) { return ::kill(pid, 0) == -1 && errno == ESRCH; }

    std::filesystem::path folder_;
};

TEST_F(EspeakSpeechTest, TextReachesStandardInputOnlyAndNeverTheArguments) {
    const char* const texts[] = {"Jan de Vries belt",    "O'Neil \"de Baas\"",
                                 "regel\reen\r\ntwee",   "$(id) `id` ; rm -rf ~",
                                 "-v en --ssml <speak>", "Ë€ ü"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        MakeControl();
        SpeakAndWait(text);
        EXPECT_EQ(Args(), "-v\nnl\n-b\n1\n--stdin\n--stdout\n");
        EXPECT_EQ(Input(), text);
        ASSERT_EQ(speech->played.size(), 1u);
        EXPECT_EQ(speech->played[0].text, text);
        speech->played.clear();
        control.reset();
    }
}

TEST_F(EspeakSpeechTest, TheVoiceFollowsTheLanguageId) {
    const struct {
        int id;
        const char* voice;
    } cases[] = {{1043, "nl"}, {1033, "en-us"}, {2057, "en-gb"},
                 {1031, "de"}, {1036, "fr"},    {7, "nl"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        MakeControl();
        SpeakAndWait("tekst", c.id);
        EXPECT_EQ(Args(), std::string("-v\n") + c.voice + "\n-b\n1\n--stdin\n--stdout\n");
        ASSERT_EQ(speech->played.size(), 1u);
        EXPECT_EQ(speech->played[0].voice, c.voice);
        speech->played.clear();
        control.reset();
    }
}

TEST_F(EspeakSpeechTest, BalloonAndVoiceStartTogetherAndEndWithTheVoice) {
    MakeControl();
    QtCharacter& c = SpeakAndWait("Hallo ik ben Robby");
    ASSERT_EQ(speech->played.size(), 1u);
    const std::string& wav = speech->played[0].wav;
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(static_cast<unsigned char>(wav[4]) | static_cast<unsigned char>(wav[5]) << 8 |
                  static_cast<unsigned char>(wav[6]) << 16,
              static_cast<int>(wav.size() - 8))
        << "the streamed lengths are mended";

    control->Advance(5000);
    EXPECT_FALSE(c.Balloon().isVisible()) << "the voice waits behind another sound";

    speech->state = SpeechOutput::State::Sounding;
    control->Advance(QtAgentControl::kTickMs);
    EXPECT_TRUE(c.Balloon().isVisible());
    control->Advance(60000);
    EXPECT_TRUE(c.Balloon().isVisible()) << "as long as the voice sounds";

    speech->state = SpeechOutput::State::Idle;
    control->Advance(QtAgentControl::kTickMs);
    EXPECT_FALSE(c.Balloon().isVisible());
    EXPECT_FALSE(c.Busy());
}

TEST_F(EspeakSpeechTest, WithoutAVoiceTheBalloonAloneAndOneLogLine) {
    const struct {
        const char* name;
        const char* mode;
        bool missing;
        bool outputRefuses;
        const char* logged;
    } cases[] = {{"missing program", "wav", true, false, "espeak-ng not found"},
                 {"failing run", "fail", false, false, "exit code 3"},
                 {"empty output", "empty", false, false, "gave no sound"},
                 {"output past the bound", "big", false, false, "more than 65536 bytes"},
                 {"no sound device", "wav", false, true, "did not play"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Mode(k.mode);
        speech->accept = !k.outputRefuses;
        MakeControl(k.missing ? folder_.string() : FAKE_ESPEAK_DIR);
        log.clear();
        QtCharacter& c = SpeakAndWait("Onbekende beller");
        ASSERT_EQ(log.size(), 1u);
        EXPECT_NE(log[0].find(k.logged), std::string::npos) << log[0];
        EXPECT_NE(log[0].find("balloon alone"), std::string::npos);
        EXPECT_TRUE(c.Balloon().isVisible());
        control->Advance(QtCharacter::ReadingTimeMs("Onbekende beller"));
        EXPECT_FALSE(c.Balloon().isVisible());
        control.reset();
    }
}

TEST_F(EspeakSpeechTest, ARunPastItsTimeIsKilledAndTheBalloonStillGoes) {
    Mode("hang");
    MakeControl(FAKE_ESPEAK_DIR, 300);
    QtCharacter& c = SpeakAndWait("Wie belt er");
    EXPECT_TRUE(Gone(RunPid()));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("longer than 300 ms"), std::string::npos) << log[0];
    EXPECT_TRUE(c.Balloon().isVisible());
}

TEST_F(EspeakSpeechTest, SpeakReturnsAtOnceAndTheLoopRunsWhileEspeakRuns) {
    Mode("hang");
    MakeControl();
    QtCharacter& c = Load();
    c.Show(true);
    c.Speak("Lange tekst");
    control->Advance(0);
    ASSERT_TRUE(c.Espeak().Running());

    bool timerRan = false;
    QTimer::singleShot(10, [&] { timerRan = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return timerRan; }, 2000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return std::filesystem::exists(folder_ / "run.pid"); }, 5000));
    EXPECT_TRUE(c.Espeak().Running());
    const pid_t pid = RunPid();

    control->Unload("id");  // what SwitchOff and the end of the program come to
    EXPECT_TRUE(Gone(pid)) << "no process is left";
}

TEST_F(EspeakSpeechTest, UnloadDuringTheVoiceStopsIt) {
    MakeControl();
    SpeakAndWait("Hallo");
    speech->state = SpeechOutput::State::Sounding;
    control->Advance(QtAgentControl::kTickMs);
    control->Unload("id");
    EXPECT_EQ(speech->stops, 1);
}

}  // namespace
}  // namespace agent::testing
