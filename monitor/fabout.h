#pragma once

#include <functional>
#include <string>

#include "platform/ui/form.h"

class QLabel;
class QPushButton;

namespace monitor {

// Where the about box sends its reader; the program's own pages, opened by the desktop.
inline constexpr const char* kWebAdres = "https://belverin.example.org/";

// The about box "Info": the version with its release date, the web address as a link, and
// thanks. Made when opened, freed when closed.
class TfAbout : public ui::Form {
    Q_OBJECT
  public:
    static TfAbout* Open();
    static TfAbout* Instance();

    // Opens a link target; the desktop's by default, a recorder in tests.
    using Opener = std::function<bool(const std::string& target)>;
    static void SetOpener(Opener opener);

    // "Versie: " + version + two blanks + "(" + date + ")".
    static std::string VersieRegel();

    void Label2Click();
    void bMeerInfoClick();

    QLabel* Label1;  // the version line
    QLabel* Label2;  // the link
    QPushButton* bMeerInfo;
    QPushButton* bClose;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    TfAbout();
    void SetLinkColour(bool hot);
};

}  // namespace monitor
