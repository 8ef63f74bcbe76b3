#include <QTest>
#include <chrono>
#include <memory>

#include <gtest/gtest.h>

#include "platform/agent/espeak_run.h"
#include "platform/agent/player_speech_output.h"
#include "platform/agent/qt_agent_control.h"
#include "platform/os/recording_sound_output.h"
#include "platform/os/sound_player.h"

namespace agent {
namespace {

using namespace std::chrono_literals;

// The real espeak-ng speaks Dutch into the player's speech channel.
TEST(PlayerSpeech, DutchVoiceOfEspeakPlaysOnTheSpeechChannel) {
    ASSERT_TRUE(FindEspeak()) << "espeak-ng is not installed";
    auto recording = std::make_shared<os::RecordingSoundOutput>();
    os::SoundPlayer player(recording);
    QtAgentOptions options;
    options.speech = std::make_shared<PlayerSpeechOutput>(player);
    options.manualTime = true;
    QtAgentControl control(std::move(options));
    ASSERT_EQ(control.Load("id", std::string("robby")), 0);
    QtCharacter& c = *control.Loaded("id");

    c.Show(true);
    c.Speak("Hallo ik ben Robby");
    control.Advance(0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            control.Advance(QtAgentControl::kTickMs);
            return c.Balloon().isVisible();
        },
        10000));
    ASSERT_TRUE(recording->WaitForEnded(1, 10s));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            control.Advance(QtAgentControl::kTickMs);
            return !c.Busy();
        },
        5000));

    const auto records = recording->Records();
    ASSERT_EQ(records.size(), 1u);
    const os::SoundRecord& r = records[0];
    EXPECT_EQ(r.info.channel, os::SoundChannel::Speech);
    EXPECT_TRUE(r.info.memory);
    EXPECT_EQ(r.info.voice, "nl");
    EXPECT_EQ(r.info.text, "Hallo ik ben Robby");
    EXPECT_GT(r.info.frames, r.info.rate / 4) << "a voice, not a click";
    EXPECT_EQ(r.frames_played, r.info.frames);
    EXPECT_EQ(r.end, os::SoundEnd::Finished);
    EXPECT_FALSE(c.Balloon().isVisible()) << "the balloon goes with the voice";
}

TEST(PlayerSpeech, AnImageThePlayerCannotReadIsRefused) {
    auto recording = std::make_shared<os::RecordingSoundOutput>();
    os::SoundPlayer player(recording);
    PlayerSpeechOutput output(player);
    EXPECT_EQ(output.Current(), SpeechOutput::State::Idle);
    EXPECT_FALSE(output.Play("RIFF no wave", "nl", "x"));
    EXPECT_EQ(output.Current(), SpeechOutput::State::Idle);
    EXPECT_TRUE(recording->Records().empty());
}

}  // namespace
}  // namespace agent
