#include "platform/ui/hourglass_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace ui {

HourglassCursor::HourglassCursor() : active_(qGuiApp != nullptr) {
    if (active_) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
}

HourglassCursor::~HourglassCursor() {
    if (active_ && qGuiApp) {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace ui
