#pragma once

#include <QElapsedTimer>
#include <memory>
#include <optional>
#include <string>

#include "monitor/book/outlook_tools.h"
#include "platform/ui/form.h"
#include "platform/ui/hourglass_cursor.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace monitor {

// The window of the Outlook maintenance tools. A tool runs a slice at a time from the event
// loop, so the line, the ring countdown and the window stay alive; the link's busy flag is set
// meanwhile, which makes every search answer false. Made at start-up, hidden when closed.
class Tfoutlook : public ui::Form {
    Q_OBJECT
  public:
    explicit Tfoutlook(QWidget* parent = nullptr);
    // Drops the link quietly, as the program ends with this window.
    ~Tfoutlook() override;

    bool Bezig() const;

    void bwislogClick();
    void BStreepjeuittelefoonnrClick();

    QPushButton* BStreepjeuittelefoonnr;
    QPushButton* bwislog;
    QLabel* Label1;
    QListWidget* ListBox1;

  signals:
    // A tool's run has ended; false when it failed.
    void ToolKlaar(bool gelukt);

  private:
    void Start(OutlookTool::Soort soort);
    void Slice();
    void Einde(bool gelukt);
    void Regel(const std::string& tekst);

    std::unique_ptr<OutlookTool> tool_;
    OutlookTool::Soort soort_ = OutlookTool::Soort::LogWissen;
    std::optional<ui::HourglassCursor> zandloper_;
    QTimer* slicer_;
};

}  // namespace monitor
