#pragma once

#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/agent/qt_agent_control.h"
#include "platform/agent/speech_output.h"

namespace agent::testing {

// An output that records what it was given and sounds as the test says.
class FakeSpeechOutput : public SpeechOutput {
  public:
    struct Played {
        std::string wav, voice, text;
    };
    bool Play(const std::string& wav, const std::string& voice, const std::string& text) override {
        played.push_back({wav, voice, text});
        return accept;
    }
    State Current() const override { return state; }
    void Stop() override {
        ++stops;
        state = State::Idle;
    }
    bool HasDevice() const override { return accept; }

    std::vector<Played> played;
    bool accept = true;
    State state = State::Waiting;
    int stops = 0;
};

// A control whose time the test moves, speaking through a fake output and the fake espeak-ng.
class QtControlFixture {
  protected:
    QtControlFixture() {
        SetAgentLogSink([this](const std::string& line) { log.push_back(line); });
    }
    ~QtControlFixture() { SetAgentLogSink(nullptr); }

    void MakeControl(std::string searchPath = FAKE_ESPEAK_DIR, int timeLimitMs = 5000) {
        QtAgentOptions options;
        options.speech = speech;
        options.espeak.searchPath = std::move(searchPath);
        options.espeak.timeLimitMs = timeLimitMs;
        options.espeak.outputLimit = 64 * 1024;
        options.manualTime = true;
        control = std::make_unique<QtAgentControl>(std::move(options));
    }
    QtCharacter& Load(const std::string& file = "robby") {
        EXPECT_EQ(control->Load("id", file), 0);
        return *control->Loaded("id");
    }

    std::shared_ptr<FakeSpeechOutput> speech = std::make_shared<FakeSpeechOutput>();
    std::unique_ptr<QtAgentControl> control;
    std::vector<std::string> log;
};

}  // namespace agent::testing
