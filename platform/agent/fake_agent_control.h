#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/agent/agent_control.h"

namespace agent::testing {

class FakeAgentControl;

// What a test sets up and reads back; it outlives the control, which its owner may free.
struct FakeAgentScript {
    bool failCreate = false;             // the factory answers nullptr
    bool throwOnCreate = false;          // the factory raises
    std::set<std::string> failingLoads;  // files whose load answers status 2 ("" = default)
    bool throwOnLoad = false;            // Load raises
    bool failRequests = false;           // character requests answer false
    bool throwOnRequests = false;        // character requests raise
    ScreenSize screen{1024, 768};
    std::string defaultCharacter = "Robby";
    int languageId = 1043;
    std::int16_t width = 128;
    std::int16_t height = 128;

    std::vector<std::string> requests;  // every request in order, as readable lines
    int created = 0;
    FakeAgentControl* control = nullptr;  // the live control, nullptr once freed
};

// A control that records its requests and follows them at once (no queue, no timers).
class FakeAgentControl : public AgentControl {
  public:
    explicit FakeAgentControl(std::shared_ptr<FakeAgentScript> script);
    ~FakeAgentControl() override;

    void SetEvents(AgentEvents events) override;
    void SetRaiseRequestErrors(bool raise) override;
    int Load(const std::string& characterId, const std::optional<std::string>& file) override;
    AgentCharacter* Character(const std::string& characterId) override;
    void Unload(const std::string& characterId) override;
    void ShowPropertySheet() override;
    void ShowDefaultCharacterProperties() override;
    ScreenSize Screen() const override;
    std::vector<CharacterPicture> Pictures() const override;

    // Raise the control's events as the user would.
    void Click(int button, int x = 10, int y = 20);
    void ChangeDefaultCharacter();
    void HideByUser();

  private:
    class FakeCharacter;
    std::shared_ptr<FakeAgentScript> script_;
    AgentEvents events_;
    std::string id_;
    std::unique_ptr<FakeCharacter> character_;
};

// Installs a factory that makes FakeAgentControls on `script`.
void InstallFakeAgentControl(std::shared_ptr<FakeAgentScript> script);

}  // namespace agent::testing
