#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/ui/dialogs.h"

class QFileDialog;
class QMessageBox;

namespace ui {

// The dialog service on Qt Widgets, with the class library's Dutch captions.
class QtDialogs : public Dialogs {
  public:
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
};

// The box MessageDlg shows, unshown; each button carries its ModalResult in the property
// "modalResult".
std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& text, MsgDlgType type,
                                             unsigned buttons);
// The title of a box of the type.
QString MessageTitle(MsgDlgType type);
// The class library's filter text as Qt name filters, one per pair.
QStringList ToNameFilters(const std::string& filter);
// The open or save dialog, unshown.
std::unique_ptr<QFileDialog> BuildFileDialog(const FileDialogOptions& options, bool save);

}  // namespace ui
