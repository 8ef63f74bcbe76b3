#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>
#include <memory>
#include <optional>

#include "components/sub_label.h"

class QEvent;
class QWidget;

// What every labelled control shares: its caption label and the rules that keep the two together.
// The control's moves, Enabled, Visible, parent and name reach the label through an event filter
// on the control; the label's own changes are handled by the label.
class LabelledControl {
  public:
    LabelledControl(const LabelledControl&) = delete;
    LabelledControl& operator=(const LabelledControl&) = delete;

    QWidget* Owner() const { return owner_; }
    // Empty once the label was deleted alone.
    TSubLabel* SubLabel() const { return label_; }
    // Frees the current label (asking nothing) and takes `label`.
    void SetSubLabel(TSubLabel* label);
    // A graphic control takes no focus, so its label neither focuses it nor is its buddy.
    bool Windowed() const { return windowed_; }

    // The stream property "LabelDeleted": written, as true, only when the control has no label.
    std::optional<bool> LabelDeletedToWrite() const;
    // Read while the form is read; true makes the control end without a label.
    void ReadLabelDeleted(bool value) { labelDeleted_ = value; }

  protected:
    LabelledControl(QWidget* self, QWidget* owner, bool windowed);
    // The control alone frees its label without a question.
    ~LabelledControl();

  private:
    friend class FormReading;
    friend class TSubLabel;
    class Watcher;

    bool Reading() const;
    void ControlEvent(QEvent* event);
    void ControlMoved();
    void Renamed(const QString& name);
    void Loaded();
    void FreeLabel();

    QWidget* self_;
    QPointer<QWidget> owner_;
    QPointer<TSubLabel> label_;
    std::unique_ptr<Watcher> watcher_;
    QPoint lastPos_;  // the control's position as last seen; hidden widgets report moves late
    bool windowed_;
    bool labelDeleted_ = false;
};

// A labelled control on the Qt widget `Base`, made as a child of its owner.
template <class Base>
class Labelled : public Base, public LabelledControl {
  public:
    explicit Labelled(QWidget* owner, bool windowed = true)
        : Base(owner), LabelledControl(this, owner, windowed) {}
};

// The child of `owner` named `name` that is a caption label, if any.
TSubLabel* FindSubLabel(const QWidget* owner, const QString& name);
