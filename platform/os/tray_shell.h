#pragma once

#include <functional>
#include <memory>
#include <string>

class QIcon;
class QMenu;

namespace os {

// One icon in the desktop's notification area: add, modify and delete it, learn whether a tray
// exists, open a menu at a point, and hear of clicks on the icon.
class TrayShell {
  public:
    using Click = std::function<void()>;
    using RightClick = std::function<void(int x, int y)>;  // cursor position on the screen

    virtual ~TrayShell() = default;

    virtual bool TrayExists() const = 0;
    // Each answers whether the shell took it. The tip is plain text.
    virtual bool Add(const QIcon& icon, const std::string& tip) = 0;
    virtual bool Modify(const QIcon& icon, const std::string& tip) = 0;
    virtual bool Delete() = 0;
    // Opens `menu` at the point and returns at once.
    virtual void OpenMenu(QMenu* menu, int x, int y) = 0;

    void OnClick(Click handler) { on_click_ = std::move(handler); }
    void OnDoubleClick(Click handler) { on_double_click_ = std::move(handler); }
    void OnRightClick(RightClick handler) { on_right_click_ = std::move(handler); }

  protected:
    void ReportClick() const {
        if (on_click_) {
            on_click_();
        }
    }
    void ReportDoubleClick() const {
        if (on_double_click_) {
            on_double_click_();
        }
    }
    void ReportRightClick(int x, int y) const {
        if (on_right_click_) {
            on_right_click_(x, y);
        }
    }

  private:
    Click on_click_;
    Click on_double_click_;
    RightClick on_right_click_;
};

// The desktop's own tray (QSystemTrayIcon).
std::unique_ptr<TrayShell> MakeTrayShell();

}  // namespace os
