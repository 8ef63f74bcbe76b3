#pragma once

#include <QString>
#include <QSystemTrayIcon>

#include "platform/os/tray_shell.h"

namespace os {

// The tray shell on QSystemTrayIcon. The menu is opened here, not handed to Qt, so that it
// opens before the right click is reported.
class QtTrayShell : public TrayShell {
  public:
    QtTrayShell();
    bool TrayExists() const override;
    bool Add(const QIcon& icon, const std::string& tip) override;
    bool Modify(const QIcon& icon, const std::string& tip) override;
    bool Delete() override;
    void OpenMenu(QMenu* menu, int x, int y) override;

    const QSystemTrayIcon& Icon() const { return icon_; }

  private:
    void Apply(const QIcon& icon, const std::string& tip);
    void Report(QSystemTrayIcon::ActivationReason reason);
    QSystemTrayIcon icon_;
};

// A tip as the tray shows it: the characters as they stand, never read as markup.
QString TrayTipText(const std::string& tip);
// The icon shown for an empty one: the program's window icon, else a drawn mark.
QIcon TrayIconOrDefault(const QIcon& icon);

}  // namespace os
