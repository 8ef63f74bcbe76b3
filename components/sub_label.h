#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>
#include <functional>

#include "platform/ui/colors.h"

class LabelledControl;
#include <QMenu>

// The caption label that a labelled control carries. It stands beside its control, follows its
// moves, mirrors its Enabled and Visible and focuses it on a click. A component's name is its
// objectName; its owner is the form it was made for. Main thread only.
class TSubLabel : public QLabel {
    Q_OBJECT
  public:
    using TNotifyEvent = std::function<void(TSubLabel* sender)>;
    using TMouseEvent = std::function<void(TSubLabel* sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;

    // A label for `control` (one of the labelled controls; any other widget is not attached),
    // at (control's left - 100, control's top + 2) on the control's parent. Without a control the
    // label stands alone on the owner, as a form being read makes it.
    explicit TSubLabel(QWidget* owner, QWidget* control = nullptr);
    ~TSubLabel() override;

    QWidget* Owner() const { return owner_; }
    QWidget* Control() const { return control_; }
    // Binds the label to `control`, which drops any other label; a widget that is not a labelled
    // control is ignored. nullptr detaches the label, hides it and frees it from the event loop.
    virtual void SetControl(QWidget* control);

    // Moving a locked label moves its control, and the label follows.
    bool Locked() const { return locked_; }
    void SetLocked(bool on) { locked_ = on; }

    // Moves the label by (dx, dy) for its control, keeping its size.
    void MoveBy(int dx, int dy);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);

    ui::TColor Color() const { return color_; }
    void SetColor(ui::TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool on);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    // Whether the font comes from the parent; setting it drops a font of the label's own.
    bool ParentFont() const;
    void SetParentFont(bool on);
    // The hint is the tool tip; it shows when ShowHint (or, with ParentShowHint, always).
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool on);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool on) { parentShowHint_ = on; }
    // The "&" marks the accelerator that focuses a windowed control; off, it is shown as it is.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool on);
    // Not owned: a menu freed elsewhere is dropped.
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* menu);

    // A click focuses a windowed control first.
    void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseMove;
    TMouseEvent OnMouseUp;

  protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    friend class LabelledControl;
    friend class FormReading;
    struct ForControl {};
    // Made by a labelled control for itself, before that control is whole.
    TSubLabel(QWidget* owner, QWidget* control, bool windowed, ForControl);

    void Bind(QWidget* control, bool windowed);
    void Detach() { control_ = nullptr; }
    void FollowParent();
    void SyncEnabled();
    void SyncVisible();
    void LabelMoved();
    void Loaded();
    bool Reading() const;
    void Fit();
    void ApplyColors();
    void ApplyBuddy();
    void Raise(const TNotifyEvent& handler);
    void RaiseMouse(const TMouseEvent& handler, QMouseEvent* event);

    QPointer<QWidget> owner_;
    QPointer<QWidget> control_;
    QPointer<QMenu> popupMenu_;
    QString lastName_;
    QPoint known_;  // where the label was last seen or put
    ui::TColor color_ = ui::clBtnFace;
    bool windowed_ = false;
    bool locked_ = false;
    bool moving_ = false;
    bool syncingEnabled_ = false;
    bool syncingVisible_ = false;
    bool autoSize_ = true;
    bool parentColor_ = true;
    bool transparent_ = false;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    bool showAccelChar_ = true;
};
