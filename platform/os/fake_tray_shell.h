#pragma once

#include <string>
#include <vector>

#include <QIcon>
#include <QMenu>
#include <QPoint>

#include "platform/os/tray_shell.h"

namespace os {

// A tray shell for tests: records every call and raises clicks when told.
class FakeTrayShell : public TrayShell {
  public:
    struct Call {
        std::string op;  // "add", "modify", "delete", "menu"
        std::string tip;
        bool icon_null = true;
        QMenu* menu = nullptr;
        int x = 0;
        int y = 0;
    };

    bool TrayExists() const override { return tray_exists; }
    bool Add(const QIcon& icon, const std::string& tip) override {
        calls.push_back({"add", tip, icon.isNull()});
        return accept;
    }
    bool Modify(const QIcon& icon, const std::string& tip) override {
        calls.push_back({"modify", tip, icon.isNull()});
        return accept;
    }
    bool Delete() override {
        calls.push_back({"delete", {}});
        return accept;
    }
    void OpenMenu(QMenu* menu, int x, int y) override {
        calls.push_back({"menu", {}, true, menu, x, y});
        if (open_menus && menu != nullptr) {
            menu->popup(QPoint(x, y));  // as the desktop's tray does
        }
    }

    void Click() const { ReportClick(); }
    void DoubleClick() const { ReportDoubleClick(); }
    void RightClick(int x, int y) const { ReportRightClick(x, y); }

    bool tray_exists = true;
    bool accept = true;
    bool open_menus = false;  // pop the menu up for real
    std::vector<Call> calls;
};

}  // namespace os
