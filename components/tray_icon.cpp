#include "components/tray_icon.h"

#include <QMenu>
#include <QMetaObject>
#include <QObject>

std::string CutUtf8(const std::string& text, int characters) {
    std::size_t at = 0;
    for (int n = 0; n < characters && at < text.size(); ++n) {
        // Step over the lead byte and its continuation bytes.
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
            ++at;
        }
    }
    return text.substr(0, at);
}

TTrayIcon::TTrayIcon(db::TComponent* owner, std::unique_ptr<os::TrayShell> shell)
    : db::TComponent(owner),
      shell_(shell ? std::move(shell) : os::MakeTrayShell()),
      queue_context_(std::make_unique<QObject>()) {
    shell_->OnClick([this] {
        if (OnClick) {
            OnClick(this);
        }
    });
    shell_->OnDoubleClick([this] {
        if (OnDblClick) {
            OnDblClick(this);
        }
    });
    shell_->OnRightClick([this](int x, int y) { RightClicked(x, y); });
}

TTrayIcon::~TTrayIcon() {
    if (active_) {
        Delete();
    }
}

bool TTrayIcon::Add() {
    shown_ = shell_->Add(icon_, tool_tip_);
    if (tool_tip_.empty()) {
        // A form sets Active before the tip; the tip it sets next is applied once more when the
        // event loop runs.
        QMetaObject::invokeMethod(
            queue_context_.get(), [this] { SetToolTip(tool_tip_); }, Qt::QueuedConnection);
    }
    return shown_;
}

bool TTrayIcon::Modify() {
    if (!active_) {
        return true;
    }
    return shell_->Modify(icon_, tool_tip_);
}

bool TTrayIcon::Delete() {
    shown_ = false;
    return shell_->Delete();
}

void TTrayIcon::SetActive(bool value) {
    if (value == active_) {
        return;
    }
    active_ = value;
    if (value) {
        Add();
    } else {
        Delete();
    }
}

void TTrayIcon::SetIcon(const QIcon& icon) {
    if (&icon == &icon_) {
        return;
    }
    icon_ = icon;
    Modify();
}

void TTrayIcon::SetToolTip(const std::string& tip) {
    tool_tip_ = CutUtf8(tip, kMaxTipCharacters);
    Modify();
}

QMenu* TTrayIcon::PopupMenu() const {
    return qobject_cast<QMenu*>(popup_menu_.data());
}

void TTrayIcon::SetPopupMenu(QMenu* menu) {
    popup_menu_ = menu;
}

void TTrayIcon::RightClicked(int x, int y) {
    if (QMenu* menu = PopupMenu()) {
        shell_->OpenMenu(menu, x, y);
    }
    if (OnRightClick) {
        OnRightClick(this, mbRight, 0, x, y);
    }
}
