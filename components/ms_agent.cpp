#include "components/ms_agent.h"

#include <exception>
#include <stdexcept>

TMsAgent* MsAgent = nullptr;

namespace {
std::string& FailureMessage() {
    static std::string message;
    return message;
}
}  // namespace

namespace {

const char* const kNoControl = "Microsoft Agents nicht gefunden";
const char* const kNotLoaded = " konnte nicht geladen werden.";

// Runs one step against the control. A step that fails or raises is logged once and stops
// the caller's sequence; nothing reaches the caller's caller.
template <typename Step>
bool Attempt(const char* what, Step&& step) {
    try {
        if (step()) {
            return true;
        }
        agent::AgentLog(std::string("speaking character: ") + what + " refused");
    } catch (const std::exception& e) {
        agent::AgentLog(std::string("speaking character: ") + what + " failed: " + e.what());
    } catch (...) {
        agent::AgentLog(std::string("speaking character: ") + what + " failed");
    }
    return false;
}

}  // namespace

TMsAgent::TMsAgent() {
    try {
        control_ = agent::CreateAgentControl();
        if (!control_) {
            throw std::runtime_error("no control");
        }
        agent::AgentEvents events;
        events.onClick = [this](const std::string&, int button, int, int, int) {
            HandleClick(button);
        };
        events.onDefaultCharacterChange = [this]() {
            if (OnDefaultCharacterChange) {
                OnDefaultCharacterChange();
            }
        };
        events.onHide = [this](const std::string& id, int) { HandleHide(id); };
        control_->SetEvents(std::move(events));
        control_->SetRaiseRequestErrors(false);
    } catch (...) {
        control_.reset();
        status_ = 1;
        statusMessage_ = kNoControl;
    }
}

TMsAgent::~TMsAgent() {
    if (!control_) {
        return;
    }
    try {
        if (character_) {
            DropCharacter(true);
        }
        control_->SetEvents({});
    } catch (...) {
        agent::AgentLog("speaking character: teardown failed");
    }
    control_.reset();
}

void TMsAgent::DropCharacter(bool fast) {
    Attempt("hide", [&] { return character_->Hide(fast); });
    character_ = nullptr;
    Attempt("unload", [&] {
        control_->Unload(characterId_);
        return true;
    });
}

bool TMsAgent::LoadCharacter(const std::string& fileName) {
    if (!control_ || status_ == 1) {
        return false;
    }
    if (character_) {
        if (fileName == characterFile_) {
            return true;
        }
        DropCharacter(false);
    }
    characterFile_ = fileName;
    int requestStatus = -1;
    const bool loaded = Attempt("load", [&] {
        requestStatus = fileName.empty() ? control_->Load(characterId_, std::nullopt)
                                         : control_->Load(characterId_, fileName);
        if (requestStatus != 0) {
            return false;
        }
        character_ = control_->Character(characterId_);
        if (!character_) {
            return false;
        }
        savedLanguageId_ = character_->LanguageID();
        return true;
    });
    if (!loaded) {
        character_ = nullptr;
        status_ = 2;
        statusMessage_ = fileName + kNotLoaded;
        return false;
    }
    return true;
}

bool TMsAgent::ShowAndPlace(int x, int y) {
    if (character_->Visible()) {
        return true;
    }
    if (x < 1 || y < 1) {
        const agent::ScreenSize screen = control_->Screen();
        x = screen.width - character_->Width() - 5;
        y = screen.height - character_->Height() - 60;
    }
    return character_->MoveTo(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 2) &&
           character_->Show(true);
}

void TMsAgent::Speak(const std::string& text, int languageId, int x, int y,
                     const std::string& animBefore, const std::string& animAfter, int hideAfter) {
    if (!character_) {
        return;
    }
    const bool ok = Attempt("speak", [&] {
        character_->SetLanguageID(languageId != 0 ? languageId : savedLanguageId_);
        if (!ShowAndPlace(x, y) || !character_->Play(animBefore)) {
            return false;
        }
        if (!text.empty() && !character_->Speak(text)) {
            return false;
        }
        return character_->Play(animAfter);
    });
    if (ok && hideAfter == 1) {
        HideCharacter();
    }
}

void TMsAgent::SpeakWithAttention(const std::string& text, int languageId, int x, int y) {
    if (!character_) {
        return;
    }
    Attempt("speak", [&] {
        character_->SetLanguageID(languageId != 0 ? languageId : savedLanguageId_);
        if (!ShowAndPlace(x, y) || !character_->Play("GetAttention")) {
            return false;
        }
        return text.empty() || character_->Speak(text);
    });
}

void TMsAgent::HideCharacter() {
    if (character_) {
        Attempt("hide", [&] { return character_->Hide(false); });
    }
}

void TMsAgent::ChooseDefaultCharacter() {
    if (control_) {
        Attempt("default character", [&] {
            control_->ShowDefaultCharacterProperties();
            return true;
        });
    }
}

void TMsAgent::ShowPropertySheet() {
    if (control_) {
        Attempt("property sheet", [&] {
            control_->ShowPropertySheet();
            return true;
        });
    }
}

std::string TMsAgent::GetCharacterName() {
    std::string name;
    if (character_) {
        Attempt("name", [&] {
            name = character_->Name();
            return true;
        });
    }
    return name;
}

void TMsAgent::SwitchOff() {
    if (!character_) {
        return;
    }
    DropCharacter(false);
    if (MsAgent == this) {
        MsAgent = nullptr;
    }
    delete this;
}

void TMsAgent::HandleClick(int button) {
    if (button == agent::kLeftButton) {
        Speak("Hallo ik ben " + GetCharacterName(), 0, 0, 0, "Pleased", "gesturedown", 0);
    }
}

void TMsAgent::HandleHide(const std::string& characterId) {
    if (character_ && characterId == characterId_ && OnHide) {
        OnHide(this);
    }
}

bool CreateMsAgent() {
    if (MsAgent) {
        return true;
    }
    MsAgent = new TMsAgent();
    if (MsAgent->Status() == 0) {
        return true;
    }
    FailureMessage() = MsAgent->StatusMessage();
    FreeMsAgent();
    return false;
}

bool StartMsAgent() {
    if (!CreateMsAgent()) {
        return false;
    }
    if (MsAgent->LoadCharacter("")) {
        return true;
    }
    FailureMessage() = MsAgent->StatusMessage();
    FreeMsAgent();
    return false;
}

void FreeMsAgent() {
    TMsAgent* agent = MsAgent;
    MsAgent = nullptr;
    delete agent;
}

const std::string& MsAgentFailureMessage() {
    return FailureMessage();
}
