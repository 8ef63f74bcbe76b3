#pragma once

#include <QWidget>
#include <string>

#include "platform/ui/font_spec.h"
#include "platform/ui/layout_store.h"

namespace ui {

// What closing a form does, as the class library's close actions.
enum class CloseAction { None, Hide, Free };

// Base of the program's windows: caption, stay-on-top, close action, help context, and the
// position, size and font kept in a section of the settings file.
class Form : public QWidget {
    Q_OBJECT
  public:
    explicit Form(QWidget* parent = nullptr);

    void SetCaption(const std::string& caption);
    std::string Caption() const;

    void SetStayOnTop(bool on);
    bool StayOnTop() const;

    void SetCloseAction(CloseAction action) { closeAction_ = action; }
    CloseAction GetCloseAction() const { return closeAction_; }

    void SetHelpContext(int context) { helpContext_ = context; }
    int HelpContext() const { return helpContext_; }
    // The focused control's help context, else that of the nearest control around it that has
    // one, else the form's.
    int CurrentHelpContext() const;
    // Opens the help of the current context (F1 does too); nothing for context 0.
    void ShowHelp() const;

    // Moves the window to the middle of the primary screen's free area (its frame included
    // once it has one).
    void CentreOnScreen();

    void SetFormFont(const FontSpec& font);
    FontSpec FormFont() const;

    // Takes "top", "left", "width", "height", "fontsize" and "fontcolor" from the section when
    // they are not 0, and "fontname" (at most 100 characters) when it is not empty.
    void RestoreLayout(const LayoutStore& store, const std::string& section);
    // Writes the same keys: top, width, left, height, fontsize, fontcolor, fontname.
    void SaveLayout(LayoutStore& store, const std::string& section) const;

  protected:
    // Called on every close with the form's close action, which it may change.
    virtual void FormClose(CloseAction& action);

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    CloseAction closeAction_ = CloseAction::Hide;
    int helpContext_ = 0;
    TColor fontColor_ = clWindowText;
};

// A control's own help context within its form; 0 leaves it to the control around it.
void SetControlHelpContext(QWidget* control, int context);
int ControlHelpContext(const QWidget* control);

}  // namespace ui
