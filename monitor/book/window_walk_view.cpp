#include "monitor/book/window_walk_view.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <utility>

#include "platform/ui/dialogs.h"

namespace book {

WindowWalkView::WindowWalkView(QObject& context, QLabel& status, QPushButton& cancel,
                               QWidget* hidden)
    : context_(context), status_(status), cancel_(cancel), hidden_(hidden) {}

WindowWalkView::~WindowWalkView() = default;

void WindowWalkView::SetCommands(std::vector<QAction*> commands) {
    commands_ = std::move(commands);
}

void WindowWalkView::Busy(bool on) {
    depth_ += on ? 1 : -1;
    if (depth_ > 0 && !cursor_) {
        cursor_.emplace();
    } else if (depth_ <= 0) {
        depth_ = 0;
        cursor_.reset();
    }
    for (QAction* command : commands_) {
        command->setEnabled(depth_ == 0);
    }
}

void WindowWalkView::ShowStatus(const std::string& text) {
    status_.setText(QString::fromStdString(text));
    status_.repaint();
}

void WindowWalkView::Warning(const std::string& text) {
    ui::dialogs().Notify(text, ui::MsgDlgType::Warning);
}

void WindowWalkView::Failure(const std::string& text) {
    ui::dialogs().Notify(text, ui::MsgDlgType::Error);
}

void WindowWalkView::BatchRunning(bool on) {
    if (hidden_ != nullptr) {
        hidden_->setVisible(!on);
    }
    cancel_.setVisible(on);
    cancel_.repaint();
}

void WindowWalkView::Later(std::function<void()> work) {
    QTimer::singleShot(0, &context_, std::move(work));
}

}  // namespace book
