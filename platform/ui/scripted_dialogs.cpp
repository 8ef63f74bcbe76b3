#include "platform/ui/scripted_dialogs.h"

namespace ui {

ScriptedDialogs::ScriptedDialogs() : previous_(SetDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogs(previous_);
}

template <typename T>
std::optional<T> ScriptedDialogs::Take(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) {
        ++unanswered_;
        return std::nullopt;
    }
    auto answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

int ScriptedDialogs::MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons,
                                int helpContext) {
    shown_.push_back({Kind::Message, text, {}, type, buttons, helpContext, {}});
    if (messages_.empty()) {
        ++unanswered_;
        return mrCancel;
    }
    const int answer = messages_.front();
    messages_.pop_front();
    return answer;
}

void ScriptedDialogs::CaptionedMessage(const std::string& text, const std::string& caption,
                                       MsgDlgType type) {
    shown_.push_back({Kind::Message, text, caption, type, mbOK, 0, {}});
}

void ScriptedDialogs::ShowMessage(const std::string& text) {
    shown_.push_back({Kind::ShowMessage, text, {}, MsgDlgType::Custom, mbOK, 0, {}});
}

void ScriptedDialogs::Notify(const std::string& text, MsgDlgType type) {
    shown_.push_back({Kind::Notice, text, {}, type, mbOK, 0, {}});
}

bool ScriptedDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                                 std::string& value) {
    shown_.push_back({Kind::Input, prompt, caption, MsgDlgType::Custom, mbOKCancel, 0, {}});
    auto answer = Take(inputs_);
    if (!answer) {
        return false;
    }
    value = *answer;
    return true;
}

bool ScriptedDialogs::FileAnswer(Kind kind, const FileDialogOptions& options,
                                 std::string& fileName) {
    shown_.push_back({kind, {}, options.title, MsgDlgType::Custom, 0, 0, options});
    auto answer = Take(files_);
    if (!answer) {
        return false;
    }
    fileName = *answer;
    return true;
}

bool ScriptedDialogs::OpenFileName(const FileDialogOptions& options, std::string& fileName) {
    return FileAnswer(Kind::Open, options, fileName);
}

bool ScriptedDialogs::SaveFileName(const FileDialogOptions& options, std::string& fileName) {
    return FileAnswer(Kind::Save, options, fileName);
}

bool ScriptedDialogs::ChooseColor(TColor& color) {
    shown_.push_back({Kind::Color, {}, {}, MsgDlgType::Custom, 0, 0, {}});
    auto answer = Take(colors_);
    if (!answer) {
        return false;
    }
    color = *answer;
    return true;
}

bool ScriptedDialogs::ChooseFont(FontSpec& font) {
    shown_.push_back({Kind::Font, font.name, {}, MsgDlgType::Custom, 0, 0, {}});
    auto answer = Take(fonts_);
    if (!answer) {
        return false;
    }
    font = *answer;
    return true;
}

}  // namespace ui
