#pragma once

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QWidget>
#include <string>

namespace book::testing {

// Text as an input method or an emoji picker commits it into a control: over the whole text,
// or where the cursor stands.
inline void CommitText(QWidget* control, const std::string& text, bool replace = true) {
    control->setFocus();
    if (replace) {
        QMetaObject::invokeMethod(control, "selectAll");
    }
    QInputMethodEvent event;
    event.setCommitString(QString::fromStdString(text));
    QCoreApplication::sendEvent(control, &event);
}

}  // namespace book::testing
