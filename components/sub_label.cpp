#include "components/sub_label.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <exception>

#include "components/form_reading.h"
#include "components/labelled_control.h"
#include "platform/ui/dialogs.h"

namespace {
// The class library's Visible and Enabled are the widget's own settings, not what its parents
// make of them.
bool OwnVisible(const QWidget* w) {
    return !w->isHidden();
}
bool OwnEnabled(const QWidget* w) {
    return !w->testAttribute(Qt::WA_ForceDisabled);
}
}  // namespace

TSubLabel::TSubLabel(QWidget* owner, QWidget* control) : QLabel(owner), owner_(owner) {
    lastName_ = objectName();
    connect(this, &QObject::objectNameChanged, this, [this](const QString& name) {
        // A caption that still shows the old name follows the new one, as the class
        // library's labels do outside reading.
        if (!Reading() && text() == lastName_) {
            SetCaption(name);
        }
        lastName_ = name;
    });
    ApplyColors();
    known_ = pos();
    if (FormReading* reading = FormReading::Of(owner)) {
        reading->Add(this);
    }
    if (control != nullptr) {
        SetControl(control);
        if (control_ != nullptr) {
            move(control->x() - 100, control->y() + 2);
            known_ = pos();
        }
    }
}

TSubLabel::TSubLabel(QWidget* owner, QWidget* control, bool windowed, ForControl)
    : TSubLabel(owner) {
    Bind(control, windowed);
    move(control->x() - 100, control->y() + 2);
    known_ = pos();
}

// Deleting the label alone only leaves its control without one; nothing is asked.
TSubLabel::~TSubLabel() = default;

bool TSubLabel::Reading() const {
    return FormReading::Of(owner_) != nullptr;
}

void TSubLabel::SetControl(QWidget* control) {
    if (control == control_) {
        return;
    }
    auto* previous = dynamic_cast<LabelledControl*>(control_.data());
    if (control == nullptr) {
        control_ = nullptr;
        if (previous != nullptr && previous->SubLabel() == this) {
            previous->label_ = nullptr;
        }
        hide();
        // It may be inside one of its own handlers.
        deleteLater();
        return;
    }
    auto* next = dynamic_cast<LabelledControl*>(control);
    if (next == nullptr) {
        return;
    }
    if (previous != nullptr && previous->SubLabel() == this) {
        previous->label_ = nullptr;
    }
    control_ = nullptr;  // so that the control's letting go of its old label leaves this one be
    next->SetSubLabel(this);
    Bind(control, next->Windowed());
}

void TSubLabel::Bind(QWidget* control, bool windowed) {
    control_ = control;
    windowed_ = windowed;
    FollowParent();
    ApplyBuddy();
}

void TSubLabel::FollowParent() {
    if (control_ == nullptr) {
        return;
    }
    QWidget* parent = control_->parentWidget();
    if (parentWidget() != parent) {
        const QPoint at = pos();
        setParent(parent);
        move(at);
        known_ = pos();
    }
    SyncEnabled();
    SyncVisible();
}

void TSubLabel::SyncEnabled() {
    if (control_ == nullptr || OwnEnabled(this) == OwnEnabled(control_)) {
        return;
    }
    syncingEnabled_ = true;
    setEnabled(OwnEnabled(control_));
    syncingEnabled_ = false;
}

void TSubLabel::SyncVisible() {
    if (control_ == nullptr || OwnVisible(this) == OwnVisible(control_)) {
        return;
    }
    syncingVisible_ = true;
    setVisible(OwnVisible(control_));
    syncingVisible_ = false;
}

void TSubLabel::Loaded() {
    SyncEnabled();
    SyncVisible();
}

void TSubLabel::MoveBy(int dx, int dy) {
    moving_ = true;
    move(pos() + QPoint(dx, dy));
    // A move of its own that the label has not seen yet (it is hidden) stays to be seen.
    known_ += QPoint(dx, dy);
    moving_ = false;
}

void TSubLabel::LabelMoved() {
    if (moving_) {
        return;
    }
    if (!locked_ || control_ == nullptr || Reading()) {
        known_ = pos();
        return;
    }
    const QPoint delta = pos() - known_;
    if (delta.isNull()) {
        return;
    }
    // The label stays for now; the control's own move brings it along.
    moving_ = true;
    move(known_);
    moving_ = false;
    control_->move(control_->pos() + delta);
}

void TSubLabel::SetCaption(const QString& caption) {
    setText(caption);
    Fit();
}

void TSubLabel::SetAutoSize(bool on) {
    autoSize_ = on;
    Fit();
}

void TSubLabel::Fit() {
    if (autoSize_) {
        resize(sizeHint());
    }
}

void TSubLabel::SetColor(ui::TColor color) {
    color_ = color;
    parentColor_ = false;
    ApplyColors();
}

void TSubLabel::SetParentColor(bool on) {
    parentColor_ = on;
    ApplyColors();
}

void TSubLabel::SetTransparent(bool on) {
    transparent_ = on;
    ApplyColors();
}

void TSubLabel::ApplyColors() {
    // An empty palette inherits every role; a colour of its own sets only the background.
    QPalette pal;
    if (!parentColor_) {
        pal.setColor(QPalette::Window, ui::ColorToQColor(color_));
    }
    setPalette(pal);
    setAutoFillBackground(!transparent_ && !parentColor_);
}

bool TSubLabel::ParentFont() const {
    return !testAttribute(Qt::WA_SetFont);
}

void TSubLabel::SetParentFont(bool on) {
    if (on) {
        setFont(QFont());
        setAttribute(Qt::WA_SetFont, false);
        Fit();
    }
}

void TSubLabel::SetShowHint(bool on) {
    showHint_ = on;
    parentShowHint_ = false;
}

void TSubLabel::SetShowAccelChar(bool on) {
    showAccelChar_ = on;
    ApplyBuddy();
}

void TSubLabel::ApplyBuddy() {
    // QLabel reads "&" as the accelerator only with a buddy.
    setBuddy(showAccelChar_ && windowed_ ? control_.data() : nullptr);
    setTextFormat(Qt::PlainText);
}

QMenu* TSubLabel::PopupMenu() const {
    return popupMenu_;
}

void TSubLabel::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
}

void TSubLabel::Click() {
    if (windowed_ && control_ != nullptr) {
        control_->setFocus(Qt::MouseFocusReason);
    }
    Raise(OnClick);
}

void TSubLabel::Raise(const TNotifyEvent& handler) {
    if (!handler) {
        return;
    }
    try {
        handler(this);
    } catch (const std::exception& e) {
        ui::ShowException(e);
    }
}

void TSubLabel::RaiseMouse(const TMouseEvent& handler, QMouseEvent* event) {
    if (!handler) {
        return;
    }
    const QPoint at = event->position().toPoint();
    try {
        handler(this, event->button(), event->modifiers(), at.x(), at.y());
    } catch (const std::exception& e) {
        ui::ShowException(e);
    }
}

bool TSubLabel::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
            LabelMoved();
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (!syncingVisible_) {
                SyncVisible();
            }
            break;
        case QEvent::Shortcut:
            // QLabel hands the accelerator only to a buddy that takes focus; a panel takes
            // none of itself but is still focused through its label.
            if (buddy() != nullptr && buddy()->focusPolicy() == Qt::NoFocus) {
                buddy()->setFocus(Qt::ShortcutFocusReason);
                return true;
            }
            break;
        case QEvent::ToolTip:
            if (!(parentShowHint_ || showHint_)) {
                event->ignore();
                return true;
            }
            break;
        default:
            break;
    }
    return QLabel::event(event);
}

void TSubLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !syncingEnabled_) {
        SyncEnabled();
    } else if (event->type() == QEvent::FontChange) {
        Fit();
    }
}

void TSubLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    RaiseMouse(OnMouseDown, event);
}

void TSubLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    RaiseMouse(OnMouseMove, event);
}

void TSubLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    const bool inside = rect().contains(event->position().toPoint());
    RaiseMouse(OnMouseUp, event);
    if (event->button() == Qt::LeftButton && inside) {
        Click();
    }
}

void TSubLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    QLabel::mouseDoubleClickEvent(event);
    Raise(OnDblClick);
}

void TSubLabel::contextMenuEvent(QContextMenuEvent* event) {
    if (popupMenu_ == nullptr) {
        QLabel::contextMenuEvent(event);
        return;
    }
    popupMenu_->popup(event->globalPos());
    event->accept();
}
