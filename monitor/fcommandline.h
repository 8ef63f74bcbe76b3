#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "platform/ui/form.h"

class QLineEdit;
class QPushButton;

namespace monitor {

// The one-line editor for command lines and the two caller templates. Whoever opens it names a
// tag; OK hands the text to the receiver of that tag and closes, unless handing over raised: then
// the message is shown and the text stays. It is made when opened and freed when closed.
class TFcommandline : public ui::Form {
    Q_OBJECT
  public:
    // Shows the editor with `text` and `caption`, making it when none is open.
    static TFcommandline* start(const std::string& tag, const std::string& text,
                                const std::string& caption);
    // The open editor, or nullptr.
    static TFcommandline* Instance();

    using Receiver = std::function<void(const std::string& text)>;
    // Where OK hands over the text of "finstellingen" or "Ftelklapperedit". The registration ends
    // when `owner` is destroyed, so a window that closed before OK gets nothing.
    // "bellersstringtest" and "gegevensstringtest" go to the settings and need none.
    static void SetReceiver(const std::string& tag, QObject* owner, Receiver receiver);

    const std::string& Tag() const { return tag_; }

    void b_okClick();
    void b_cancelClick();
    void b_kiesprogrammaClick();
    void BitBtn1Click();

    QWidget* Panel1;
    QWidget* Panel2;
    QWidget* Panel3;
    QWidget* Panel4;
    QLineEdit* E_naam;
    QPushButton* b_kiesprogramma;
    QPushButton* b_ok;
    QPushButton* b_cancel;
    QPushButton* BitBtn1;

  protected:
    void FormClose(ui::CloseAction& action) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TFcommandline();
    void FormResize();
    bool IsTemplateTag() const;
    void HandOver(const std::string& text);

    std::string tag_;
};

}  // namespace monitor
