#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/dialogs.h"

namespace ui {

// The dialog service for tests: it records every box and dialog, answers from scripted queues and
// never waits. While it lives it is the current service.
class ScriptedDialogs : public Dialogs {
  public:
    enum class Kind { Message, ShowMessage, Notice, Input, Open, Save, Color, Font };
    struct Shown {
        Kind kind;
        std::string text;  // message text, or the prompt of an input line
        std::string caption;
        MsgDlgType type = MsgDlgType::Custom;
        unsigned buttons = 0;
        int helpContext = 0;
        FileDialogOptions file;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Answers for the next boxes and dialogs of each kind, in order. nullopt cancels.
    void AnswerMessage(int modalResult) { messages_.push_back(modalResult); }
    void AnswerInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
    void AnswerFile(std::optional<std::string> name) { files_.push_back(std::move(name)); }
    void AnswerColor(std::optional<TColor> color) { colors_.push_back(color); }
    void AnswerFont(std::optional<FontSpec> font) { fonts_.push_back(std::move(font)); }

    const std::vector<Shown>& shown() const { return shown_; }
    // Modal boxes and dialogs that came without a scripted answer; they were cancelled.
    int unanswered() const { return unanswered_; }

    int MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons,
                   int helpContext = 0) override;
    void ShowMessage(const std::string& text) override;
    void CaptionedMessage(const std::string& text, const std::string& caption,
                          MsgDlgType type) override;
    void Notify(const std::string& text, MsgDlgType type) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    bool OpenFileName(const FileDialogOptions& options, std::string& fileName) override;
    bool SaveFileName(const FileDialogOptions& options, std::string& fileName) override;
    bool ChooseColor(TColor& color) override;
    bool ChooseFont(FontSpec& font) override;

  private:
    template <typename T>
    std::optional<T> Take(std::deque<std::optional<T>>& queue);
    bool FileAnswer(Kind kind, const FileDialogOptions& options, std::string& fileName);

    Dialogs* previous_;
    std::vector<Shown> shown_;
    std::deque<int> messages_;
    std::deque<std::optional<std::string>> inputs_;
    std::deque<std::optional<std::string>> files_;
    std::deque<std::optional<TColor>> colors_;
    std::deque<std::optional<FontSpec>> fonts_;
    int unanswered_ = 0;
};

}  // namespace ui
