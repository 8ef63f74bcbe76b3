#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace agent {

// Mouse buttons as the click event reports them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// Why a character went away, as the hide event reports it.
inline constexpr int kHiddenByUser = 1;
inline constexpr int kHiddenByProgram = 2;

// One loaded character. Requests are queued and run one after another; a request answers
// false when it was refused outright (the character is gone, the text cannot be spoken).
class AgentCharacter {
  public:
    virtual ~AgentCharacter() = default;

    // The state the queued requests lead to, not the state on the screen now.
    virtual bool Visible() const = 0;
    virtual std::int16_t Width() const = 0;
    virtual std::int16_t Height() const = 0;
    virtual int LanguageID() const = 0;
    virtual void SetLanguageID(int languageId) = 0;
    virtual std::string Name() const = 0;

    // Moves the character's top-left corner to (x, y) on the primary screen over `speed` ms.
    virtual bool MoveTo(std::int16_t x, std::int16_t y, int speed) = 0;
    virtual bool Show(bool fast) = 0;
    virtual bool Hide(bool fast) = 0;
    // An animation the character lacks ends at once.
    virtual bool Play(const std::string& animation) = 0;
    virtual bool Speak(const std::string& text) = 0;
};

// What the control reports to its user; every handler is called on the main thread.
struct AgentEvents {
    std::function<void(const std::string& characterId, int button, int shift, int x, int y)>
        onClick;
    std::function<void()> onDefaultCharacterChange;
    std::function<void(const std::string& characterId, int cause)> onHide;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// A character the control offers, with its picture as SVG text.
struct CharacterPicture {
    std::string name;
    std::string svg;
};

// The speaking-character control: a collection of loaded characters under ids.
class AgentControl {
  public:
    virtual ~AgentControl() = default;

    virtual void SetEvents(AgentEvents events) = 0;
    // Kept for the callers' sake; a failed request never raises here either way.
    virtual void SetRaiseRequestErrors(bool raise) = 0;

    // Loads a character under `characterId`: the one a file names, or the user's default
    // character without one. Answers the request's status, 0 for success.
    virtual int Load(const std::string& characterId, const std::optional<std::string>& file) = 0;
    // The loaded character, or nullptr; owned by the control until Unload.
    virtual AgentCharacter* Character(const std::string& characterId) = 0;
    // Removes the character at once, ending its requests and its voice.
    virtual void Unload(const std::string& characterId) = 0;

    virtual void ShowPropertySheet() = 0;
    virtual void ShowDefaultCharacterProperties() = 0;

    // The primary screen, where characters stand.
    virtual ScreenSize Screen() const = 0;
    virtual std::vector<CharacterPicture> Pictures() const = 0;
};

// Makes a control, or answers nullptr (or raises) when none can be made.
using AgentControlFactory = std::function<std::unique_ptr<AgentControl>()>;

// The program installs the real control's factory; tests install a fake. Main thread only.
void SetAgentControlFactory(AgentControlFactory factory);
// A new control from the installed factory; nullptr when none is installed or it failed.
std::unique_ptr<AgentControl> CreateAgentControl();

// Where the speaking character's single-line reports go; stderr without a sink.
using AgentLogSink = std::function<void(const std::string& line)>;
void SetAgentLogSink(AgentLogSink sink);
void AgentLog(const std::string& line);

}  // namespace agent
