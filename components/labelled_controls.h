#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QTreeWidget>

#include "components/labelled_control.h"

// The eleven controls that carry a caption label, each on the nearest Qt widget. Each is made as
// a child of its owner form; another parent may be given afterwards and the label follows it.

class TLEdit : public Labelled<QLineEdit> {
    Q_OBJECT
  public:
    explicit TLEdit(QWidget* owner) : Labelled(owner) {}
};

// An edit with an input mask (QLineEdit::setInputMask).
class TLMaskEdit : public Labelled<QLineEdit> {
    Q_OBJECT
  public:
    explicit TLMaskEdit(QWidget* owner) : Labelled(owner) {}
    QString EditMask() const { return inputMask(); }
    void SetEditMask(const QString& mask) { setInputMask(mask); }
};

class TLSpinEdit : public Labelled<QSpinBox> {
    Q_OBJECT
  public:
    explicit TLSpinEdit(QWidget* owner) : Labelled(owner) {}
};

class TLMemo : public Labelled<QPlainTextEdit> {
    Q_OBJECT
  public:
    explicit TLMemo(QWidget* owner) : Labelled(owner) {}
};

class TLListBox : public Labelled<QListWidget> {
    Q_OBJECT
  public:
    explicit TLListBox(QWidget* owner) : Labelled(owner) {}
};

class TLComboBox : public Labelled<QComboBox> {
    Q_OBJECT
  public:
    explicit TLComboBox(QWidget* owner) : Labelled(owner) {}
};

// A picture that takes no focus: its label only runs its own click.
class TLImage : public Labelled<QLabel> {
    Q_OBJECT
  public:
    explicit TLImage(QWidget* owner);
};

class TLPanel : public Labelled<QFrame> {
    Q_OBJECT
  public:
    explicit TLPanel(QWidget* owner);
};

class TLScrollBox : public Labelled<QScrollArea> {
    Q_OBJECT
  public:
    explicit TLScrollBox(QWidget* owner) : Labelled(owner) {}
};

class TLOutline : public Labelled<QTreeWidget> {
    Q_OBJECT
  public:
    explicit TLOutline(QWidget* owner);
};

class TLTreeView : public Labelled<QTreeWidget> {
    Q_OBJECT
  public:
    explicit TLTreeView(QWidget* owner);
};
