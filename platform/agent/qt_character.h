#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "platform/agent/agent_control.h"
#include "platform/agent/character_art.h"
#include "platform/agent/character_window.h"
#include "platform/agent/espeak_run.h"
#include "platform/agent/speech_output.h"

namespace agent {

// What a character needs from its control.
struct CharacterContext {
    std::function<void(int button, int shift, QPoint at)> click;
    std::function<void(int cause)> hidden;
    std::shared_ptr<SpeechOutput> speech;  // may be null: the balloon alone
    EspeakLimits espeak;
    std::function<QRect()> screen;
};

// One character on the desktop. Requests queue and run one after another as Advance moves the
// time on; the control calls it from a main-thread timer, tests step it by hand.
class QtCharacter : public AgentCharacter {
  public:
    QtCharacter(CharacterArt art, CharacterContext context);
    ~QtCharacter() override;  // ends the voice and any espeak-ng run

    bool Visible() const override { return visibleAhead_; }
    std::int16_t Width() const override;
    std::int16_t Height() const override;
    int LanguageID() const override { return languageId_; }
    void SetLanguageID(int languageId) override { languageId_ = languageId; }
    std::string Name() const override { return art_.Name(); }
    bool MoveTo(std::int16_t x, std::int16_t y, int speed) override;
    bool Show(bool fast) override;
    bool Hide(bool fast) override;
    bool Play(const std::string& animation) override;
    bool Speak(const std::string& text) override;

    void Advance(int ms);
    bool Busy() const { return current_ || !queue_.empty(); }

    CharacterWindow& Window() { return *window_; }
    BalloonWindow& Balloon() { return *balloon_; }
    const EspeakRun& Espeak() const { return *espeak_; }

    static constexpr int kFrameMs = 150;
    static constexpr int kFadeMs = 300;
    static constexpr int kVoiceWaitMs = 30000;
    // Without a voice the balloon stays as long as reading the text takes, within bounds.
    static int ReadingTimeMs(const std::string& text);

  private:
    struct Request {
        enum class Kind { Move, Show, Hide, Play, Speak } kind = Kind::Play;
        int x = 0, y = 0, speed = 0;
        bool fast = false;
        std::string text;   // animation or speech
        std::string voice;  // speech
    };
    enum class SpeechPhase { Producing, Waiting, Voicing, Reading };

    bool Begin();
    bool Tick();
    void Enqueue(Request request);
    void BeginSpeech();
    void VoiceReady(std::optional<std::string> wav, const std::string& problem);
    void ShowBalloon();
    void EndSpeech();
    void SetOpacity(double opacity);
    void HideNow();
    QRect Screen() const;

    CharacterArt art_;
    CharacterContext context_;
    std::unique_ptr<CharacterWindow> window_;
    std::unique_ptr<BalloonWindow> balloon_;
    std::unique_ptr<EspeakRun> espeak_;
    int languageId_ = 0;
    bool visibleAhead_ = false;

    std::deque<Request> queue_;
    std::unique_ptr<Request> current_;
    int elapsed_ = 0;
    QPoint moveFrom_;
    SpeechPhase phase_ = SpeechPhase::Reading;
    int phaseStart_ = 0;
    bool voiced_ = false;  // this speech went to the output
};

}  // namespace agent
