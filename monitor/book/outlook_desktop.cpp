#include "monitor/book/outlook_desktop.h"

#include "monitor/book/outlook_link.h"
#include "platform/os/shell_open.h"
#include "platform/ui/dialogs.h"

namespace monitor {

bool ShellDocumentOpener::Open(const std::string& path) {
    return os::ShellOpen(path);
}

void ConnectOutlookToDesktop() {
    static ShellDocumentOpener opener;
    outlook::SetDocumentOpener(&opener);
    SetOutlookFoutmelding([](const std::string& tekst) {
        ui::dialogs().MessageDlg(tekst, ui::MsgDlgType::Error, ui::mbOK);
    });
}

}  // namespace monitor
