#include "monitor/program_help.h"

#include <sys/stat.h>

#include "platform/os/shell_open.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/dialogs.h"

namespace monitor {

std::string NoHelpText(int context) {
    return "Geen help gevonden (onderwerp " + std::to_string(context) + ").";
}

void ProgramHelp::ShowContext(int context) {
    const std::string file = rtl::ResolveCaseInsensitive(programDir_, "belverin.hlp");
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && os::ShellOpen(file)) {
        return;
    }
    ui::dialogs().Notify(NoHelpText(context), ui::MsgDlgType::Information);
}

}  // namespace monitor
