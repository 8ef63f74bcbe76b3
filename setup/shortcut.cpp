#include "setup/shortcut.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "platform/os/desktop_entry.h"

namespace setup {

namespace fs = std::filesystem;

bool maakshortcut(const std::string& target, const std::string& name, int where,
                  const os::XdgEnvironment& env) {
    try {
        std::string folder;
        switch (where) {
            case kShortcutDesktop:
                folder = os::DesktopFolder(env);
                break;
            case kShortcutStartup:
                folder = os::AutostartFolder(env);
                break;
            case kShortcutPrograms:
                folder = os::ApplicationsFolder(env);
                break;
            default:
                return false;
        }
        std::error_code ec;
        if (where != kShortcutDesktop) {
            fs::create_directories(folder, ec);
        }
        if (!fs::is_directory(folder, ec)) {
            return false;
        }
        const fs::path programFolder = fs::path(target).parent_path();
        os::WriteDesktopEntry(folder, name, target, programFolder.string(),
                              (programFolder / kProgramIcon).string(), kProgramCategories);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace setup
