#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/agent/agent_control.h"

// The speaking character: one character of the control, loaded under a fixed id, that greets
// and announces callers. Made with new and freed by SwitchOff or by its owner; no request
// raises, a failed one is logged.
class TMsAgent {
  public:
    using TNotifyEvent = std::function<void(TMsAgent* sender)>;
    using TDefaultCharacterChangeEvent = std::function<void()>;

    // Status 1 with its message when no control can be made; the object is made either way.
    TMsAgent();
    ~TMsAgent();
    TMsAgent(const TMsAgent&) = delete;
    TMsAgent& operator=(const TMsAgent&) = delete;

    // Loads the character a file names, or the user's default character for an empty name.
    bool LoadCharacter(const std::string& fileName);
    void Speak(const std::string& text, int languageId, int x, int y, const std::string& animBefore,
               const std::string& animAfter, int hideAfter);
    void SpeakWithAttention(const std::string& text, int languageId, int x, int y);
    void HideCharacter();
    void ChooseDefaultCharacter();
    void ShowPropertySheet();
    std::string GetCharacterName();
    // Hides and unloads the character, then frees this object and clears MsAgent; nothing
    // while no character is loaded.
    void SwitchOff();

    std::uint8_t Status() const { return status_; }
    const std::string& StatusMessage() const { return statusMessage_; }
    const std::string& CharacterId() const { return characterId_; }
    int SavedLanguageId() const { return savedLanguageId_; }
    const std::string& CharacterFile() const { return characterFile_; }
    bool CharacterLoaded() const { return character_ != nullptr; }

    TDefaultCharacterChangeEvent OnDefaultCharacterChange;
    TNotifyEvent OnHide;

  private:
    bool ShowAndPlace(int x, int y);
    void DropCharacter(bool fast);
    void HandleClick(int button);
    void HandleHide(const std::string& characterId);

    std::uint8_t status_ = 0;
    std::string statusMessage_;
    std::string characterId_ = "DoraRevaCharacter";
    int savedLanguageId_ = 0;
    std::string characterFile_;
    std::unique_ptr<agent::AgentControl> control_;
    agent::AgentCharacter* character_ = nullptr;  // owned by control_
};

// The process-wide speaking character; empty while it is off.
extern TMsAgent* MsAgent;

// Makes MsAgent when it is empty; False (and MsAgent empty) when the control cannot be made.
bool CreateMsAgent();
// CreateMsAgent, then loads the default character; False (and MsAgent empty) on failure.
bool StartMsAgent();
// Frees MsAgent, whatever its state, and clears it.
void FreeMsAgent();
// The status message of the object the last failed CreateMsAgent or StartMsAgent freed.
const std::string& MsAgentFailureMessage();
