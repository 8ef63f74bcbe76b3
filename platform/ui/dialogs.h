#pragma once

#include <exception>
#include <string>

#include "platform/ui/colors.h"
#include "platform/ui/font_spec.h"

namespace ui {

enum class MsgDlgType { Warning, Error, Information, Confirmation, Custom };

// Buttons of a message box, combined with |.
enum MsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
inline constexpr unsigned mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr unsigned mbOKCancel = mbOK | mbCancel;

enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// An open or save dialog. The filter is in the class library's form, pairs of description and
// patterns joined by "|" ("Text|*.txt|All|*.*"; several patterns split by ";"); the filter index
// counts from 1.
struct FileDialogOptions {
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::string defaultExt;  // without the dot
    std::string initialDir;
    std::string fileName;
    bool overwritePrompt = false;  // save only
};

// Every message box and standard dialog of the program goes through the current service, so that
// tests can answer them and read what was shown. Texts are UTF-8.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // A modal box; the answer is the ModalResult of the button pressed.
    virtual int MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons,
                           int helpContext = 0) = 0;
    // A modal box with the application's title and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A modal box with an OK button under a caption of the caller's choosing.
    virtual void CaptionedMessage(const std::string& text, const std::string& caption,
                                  MsgDlgType type);
    // A box that does not hold up its caller: it returns at once and the box stays until closed.
    virtual void Notify(const std::string& text, MsgDlgType type) = 0;
    // An input line; true and the new text in `value` on OK, false and `value` untouched otherwise.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    // True with the chosen name in `fileName` when the user chose a file.
    virtual bool OpenFileName(const FileDialogOptions& options, std::string& fileName) = 0;
    virtual bool SaveFileName(const FileDialogOptions& options, std::string& fileName) = 0;
    virtual bool ChooseColor(TColor& color) = 0;
    virtual bool ChooseFont(FontSpec& font) = 0;

    // The input line's answer, or `defaultValue` when it was cancelled.
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultValue);
};

// The current service: the one installed last, else the Qt one.
Dialogs& dialogs();
// Installs `service` (nullptr: back to the Qt one) and returns the one it replaces.
Dialogs* SetDialogs(Dialogs* service);

// Shows an exception caught at an event boundary as the program shows errors.
void ShowException(const std::exception& error);

}  // namespace ui
