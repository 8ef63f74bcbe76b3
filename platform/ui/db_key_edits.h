#pragma once

#include <QKeyEvent>
#include <QKeySequence>

namespace ui {

// Whether a key would change an edit control's text: a typed character, Backspace, Delete,
// paste, cut or undo.
inline bool ChangesText(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        return true;
    }
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        return true;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.front().isPrint() &&
           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

}  // namespace ui
