#pragma once

#include <QIcon>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "platform/db/component.h"
#include "platform/os/tray_shell.h"

class QMenu;
class QObject;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;  // ssShift 1, ssAlt 2, ssCtrl 4; empty is 0

// One icon with a tip in the notification area, reporting clicks on it and opening a popup
// menu on a right click. Main thread only.
class TTrayIcon : public db::TComponent {
  public:
    using TNotifyEvent = std::function<void(TTrayIcon* sender)>;
    using TMouseEvent = std::function<void(TTrayIcon* sender, TMouseButton button,
                                           TShiftState shift, int x, int y)>;

    static constexpr int kMaxTipCharacters = 62;

    // Uses the desktop's tray unless a shell is given.
    explicit TTrayIcon(db::TComponent* owner = nullptr, std::unique_ptr<os::TrayShell> shell = {});
    ~TTrayIcon() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    // Whether the icon is in the tray: false where the add was refused (no tray), though Active
    // stays true.
    bool Shown() const { return shown_; }
    // There is no design time: always false, and writes are ignored.
    bool ShowDesigning() const { return false; }
    void SetShowDesigning(bool) {}

    const QIcon& Icon() const { return icon_; }
    void SetIcon(const QIcon& icon);
    const std::string& ToolTip() const { return tool_tip_; }
    // Keeps the first 62 characters, never cutting a UTF-8 sequence.
    void SetToolTip(const std::string& tip);

    // Not owned: a menu freed elsewhere is dropped.
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* menu);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnRightClick;

  private:
    bool Add();
    bool Modify();
    bool Delete();
    void RightClicked(int x, int y);

    std::unique_ptr<os::TrayShell> shell_;
    // Context of the queued re-apply of the tip: freed with the component, so it never runs late.
    std::unique_ptr<QObject> queue_context_;
    QIcon icon_;
    std::string tool_tip_;
    bool active_ = false;
    bool shown_ = false;
    QPointer<QObject> popup_menu_;
};

// The first `characters` characters of a UTF-8 text.
std::string CutUtf8(const std::string& text, int characters);
