#include "platform/agent/fake_agent_control.h"

#include <stdexcept>
#include <utility>

#include "platform/agent/character_names.h"

namespace agent::testing {

class FakeAgentControl::FakeCharacter : public AgentCharacter {
  public:
    FakeCharacter(FakeAgentScript& script, std::string name)
        : script_(script), name_(std::move(name)) {
        languageId_ = script.languageId;
    }

    bool Visible() const override { return visible_; }
    std::int16_t Width() const override { return script_.width; }
    std::int16_t Height() const override { return script_.height; }
    int LanguageID() const override { return languageId_; }
    void SetLanguageID(int languageId) override {
        Note("LanguageID " + std::to_string(languageId));
        languageId_ = languageId;
    }
    std::string Name() const override { return name_; }

    bool MoveTo(std::int16_t x, std::int16_t y, int speed) override {
        return Request("MoveTo " + std::to_string(x) + " " + std::to_string(y) + " " +
                       std::to_string(speed));
    }
    bool Show(bool fast) override {
        const bool ok = Request(fast ? "Show fast" : "Show slow");
        visible_ = visible_ || ok;
        return ok;
    }
    bool Hide(bool fast) override {
        const bool ok = Request(fast ? "Hide fast" : "Hide slow");
        visible_ = visible_ && !ok;
        return ok;
    }
    bool Play(const std::string& animation) override { return Request("Play " + animation); }
    bool Speak(const std::string& text) override { return Request("Speak " + text); }

    void SetVisible(bool visible) { visible_ = visible; }

  private:
    void Note(std::string line) { script_.requests.push_back(std::move(line)); }
    bool Request(std::string line) {
        Note(std::move(line));
        if (script_.throwOnRequests) {
            throw std::runtime_error("request refused");
        }
        return !script_.failRequests;
    }

    FakeAgentScript& script_;
    std::string name_;
    int languageId_ = 0;
    bool visible_ = false;
};

FakeAgentControl::FakeAgentControl(std::shared_ptr<FakeAgentScript> script)
    : script_(std::move(script)) {
    ++script_->created;
    script_->control = this;
}

FakeAgentControl::~FakeAgentControl() {
    script_->requests.push_back("Control freed");
    script_->control = nullptr;
}

void FakeAgentControl::SetEvents(AgentEvents events) {
    events_ = std::move(events);
}

void FakeAgentControl::SetRaiseRequestErrors(bool raise) {
    script_->requests.push_back(std::string("RaiseRequestErrors ") + (raise ? "true" : "false"));
}

int FakeAgentControl::Load(const std::string& characterId, const std::optional<std::string>& file) {
    script_->requests.push_back("Load " + characterId + " " + (file ? *file : "<default>"));
    if (script_->throwOnLoad) {
        throw std::runtime_error("load refused");
    }
    if (character_ || script_->failingLoads.count(file.value_or(""))) {
        return 2;
    }
    std::string name = script_->defaultCharacter;
    if (file) {
        name = CharacterForFile(*file).value_or(*file);
    }
    id_ = characterId;
    character_ = std::make_unique<FakeCharacter>(*script_, name);
    return 0;
}

AgentCharacter* FakeAgentControl::Character(const std::string& characterId) {
    return character_ && characterId == id_ ? character_.get() : nullptr;
}

void FakeAgentControl::Unload(const std::string& characterId) {
    script_->requests.push_back("Unload " + characterId);
    if (characterId == id_) {
        character_.reset();
        id_.clear();
    }
}

void FakeAgentControl::ShowPropertySheet() {
    script_->requests.push_back("PropertySheet");
}

void FakeAgentControl::ShowDefaultCharacterProperties() {
    script_->requests.push_back("DefaultCharacterProperties");
}

ScreenSize FakeAgentControl::Screen() const {
    return script_->screen;
}

std::vector<CharacterPicture> FakeAgentControl::Pictures() const {
    std::vector<CharacterPicture> pictures;
    for (const auto& name : CharacterNames()) {
        pictures.push_back({name, "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"});
    }
    return pictures;
}

void FakeAgentControl::Click(int button, int x, int y) {
    if (events_.onClick) {
        events_.onClick(id_, button, 0, x, y);
    }
}

void FakeAgentControl::ChangeDefaultCharacter() {
    if (events_.onDefaultCharacterChange) {
        events_.onDefaultCharacterChange();
    }
}

void FakeAgentControl::HideByUser() {
    if (character_) {
        character_->SetVisible(false);
    }
    if (events_.onHide) {
        events_.onHide(id_, kHiddenByUser);
    }
}

void InstallFakeAgentControl(std::shared_ptr<FakeAgentScript> script) {
    SetAgentControlFactory([script]() -> std::unique_ptr<AgentControl> {
        if (script->throwOnCreate) {
            throw std::runtime_error("no control");
        }
        if (script->failCreate) {
            return nullptr;
        }
        return std::make_unique<FakeAgentControl>(script);
    });
}

}  // namespace agent::testing
