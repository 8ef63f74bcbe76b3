#include "monitor/book/export_dialog_port.h"

#include "platform/ui/dialogs.h"

namespace book {

bool ProgramExportPort::ChooseFile(const ExportDialog& dialog, std::string& fileName) {
    ui::FileDialogOptions options;
    options.filter = dialog.filter;
    options.defaultExt = dialog.defaultExt;
    options.fileName = dialog.fileName;
    options.overwritePrompt = true;
    return ui::dialogs().SaveFileName(options, fileName);
}

void ProgramExportPort::Busy(bool on) {
    if (on) {
        cursor_.emplace();
    } else {
        cursor_.reset();
    }
}

void ProgramExportPort::Failed(const std::string& text) {
    ui::dialogs().MessageDlg(text, ui::MsgDlgType::Error, ui::mbOK);
}

}  // namespace book
