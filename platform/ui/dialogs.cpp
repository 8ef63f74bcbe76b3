#include "platform/ui/dialogs.h"

#include "platform/ui/qt_dialogs.h"

namespace ui {

void Dialogs::CaptionedMessage(const std::string& text, const std::string&, MsgDlgType type) {
    MessageDlg(text, type, mbOK);
}
namespace {

Dialogs* g_installed = nullptr;

}  // namespace

std::string Dialogs::InputBox(const std::string& caption, const std::string& prompt,
                              const std::string& defaultValue) {
    std::string value = defaultValue;
    return InputQuery(caption, prompt, value) ? value : defaultValue;
}

Dialogs& dialogs() {
    if (g_installed != nullptr) {
        return *g_installed;
    }
    static QtDialogs qt;
    return qt;
}

Dialogs* SetDialogs(Dialogs* service) {
    Dialogs* previous = g_installed;
    g_installed = service;
    return previous;
}

void ShowException(const std::exception& error) {
    dialogs().MessageDlg(error.what(), MsgDlgType::Error, mbOK);
}

}  // namespace ui
