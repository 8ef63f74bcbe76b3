#include "platform/ui/db_memo.h"

#include <QKeyEvent>
#include <QScrollBar>

#include "platform/db/field.h"
#include "platform/db/holdable_text.h"
#include "platform/ui/db_key_edits.h"

namespace ui {

TDBMemo::TDBMemo(QWidget* parent)
    : QPlainTextEdit(parent), TDBFieldEdit(static_cast<QWidget&>(*this)) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    link_.OnUpdateData = [this] {
        if (db::TField* field = link_.Field()) {
            // Memo lines end in CR LF in the table.
            const std::string typed =
                toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n")).toStdString();
            db::CheckHoldable(*field, typed);
            field->SetAsString(typed);
        }
    };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!showing_) {
            link_.SetModified();
        }
    });
}

TDBMemo::~TDBMemo() {
    link_.SetDataSource(nullptr);
}

void TDBMemo::ShowField() {
    QString shown;
    if (db::TField* field = link_.Field()) {
        try {
            shown = QString::fromStdString(field->AsString());
        } catch (const std::exception&) {
            shown.clear();
        }
    }
    shown.remove(QLatin1Char('\r'));
    if (shown == toPlainText()) {
        return;
    }
    showing_ = true;
    setPlainText(shown);
    showing_ = false;
}

void TDBMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (!UndoChange()) {
            event->ignore();
        }
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((enter || ChangesText(event)) && !AskEdit()) {
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TDBMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (!AskEdit()) {
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TDBMemo::insertFromMimeData(const QMimeData* source) {
    if (!AskEdit()) {
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void TDBMemo::focusOutEvent(QFocusEvent* event) {
    HandOver();
    QPlainTextEdit::focusOutEvent(event);
}

}  // namespace ui
