#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "monitor/book/lookup_walk_ports.h"
#include "platform/ui/hourglass_cursor.h"

class QAction;
class QLabel;
class QPushButton;
class QWidget;

namespace book {

// A table window's side of the lookup walkers: the hourglass and the lookup commands while a
// lookup runs, the status label, notices, and the cancel button in place of `hidden` (if any)
// while a batch runs.
class WindowWalkView : public WalkView {
  public:
    WindowWalkView(QObject& context, QLabel& status, QPushButton& cancel,
                   QWidget* hidden = nullptr);
    ~WindowWalkView() override;

    // The commands disabled while a lookup or batch runs.
    void SetCommands(std::vector<QAction*> commands);

    void Busy(bool on) override;
    void ShowStatus(const std::string& text) override;
    void Warning(const std::string& text) override;
    void Failure(const std::string& text) override;
    void BatchRunning(bool on) override;
    void Later(std::function<void()> work) override;

  private:
    QObject& context_;
    QLabel& status_;
    QPushButton& cancel_;
    QWidget* hidden_;
    std::vector<QAction*> commands_;
    int depth_ = 0;
    std::optional<ui::HourglassCursor> cursor_;
};

}  // namespace book
