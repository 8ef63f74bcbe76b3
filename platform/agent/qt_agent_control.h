#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <string>

#include "platform/agent/agent_control.h"
#include "platform/agent/agent_dialogs.h"
#include "platform/agent/espeak_run.h"
#include "platform/agent/qt_character.h"
#include "platform/agent/speech_output.h"

namespace agent {

struct QtAgentOptions {
    std::shared_ptr<SpeechOutput> speech;  // null: the balloon alone
    EspeakLimits espeak;
    bool manualTime = false;  // tests move the time with Advance
};

// The real control: characters in windows of their own on the primary screen. Events reach
// their handlers from the event loop, never from inside a request or a window's own handler.
class QtAgentControl : public AgentControl {
  public:
    // Raises std::runtime_error when no GUI application runs or the drawings cannot be read.
    explicit QtAgentControl(QtAgentOptions options);
    ~QtAgentControl() override;

    void SetEvents(AgentEvents events) override;
    void SetRaiseRequestErrors(bool raise) override;
    int Load(const std::string& characterId, const std::optional<std::string>& file) override;
    AgentCharacter* Character(const std::string& characterId) override;
    void Unload(const std::string& characterId) override;
    void ShowPropertySheet() override;
    void ShowDefaultCharacterProperties() override;
    ScreenSize Screen() const override;
    std::vector<CharacterPicture> Pictures() const override;

    // Moves the time of every character on; the timer does this by itself unless manual.
    void Advance(int ms);
    QtCharacter* Loaded(const std::string& characterId);
    CharacterChooser* Chooser() const { return chooser_; }
    PropertySheet* Sheet() const { return sheet_; }

    static constexpr int kTickMs = 40;

  private:
    void Tick();
    void Post(std::function<void()> call);

    QtAgentOptions options_;
    AgentEvents events_;
    std::map<std::string, std::unique_ptr<QtCharacter>> characters_;
    std::unique_ptr<QObject> context_;  // pending events die with it
    QTimer timer_;
    qint64 lastTick_ = 0;
    QPointer<CharacterChooser> chooser_;
    QPointer<PropertySheet> sheet_;
};

// Installs the real control's factory, speaking through `speech`.
void InstallQtAgentControl(std::shared_ptr<SpeechOutput> speech);

}  // namespace agent
