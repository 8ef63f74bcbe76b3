#include "platform/ui/db_edit.h"

#include <QKeyEvent>
#include <QKeySequence>

#include "platform/db/data_set.h"
#include "platform/db/field.h"
#include "platform/db/holdable_text.h"
#include "platform/ui/db_key_edits.h"

namespace ui {

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent), TDBFieldEdit(static_cast<QWidget&>(*this)) {
    link_.OnEditingChange = [this] { ShowField(); };
    link_.OnUpdateData = [this] {
        if (db::TField* field = link_.Field()) {
            const std::string typed = text().toStdString();
            db::CheckHoldable(*field, typed);
            field->SetText(typed);
        }
    };
    connect(this, &QLineEdit::textEdited, this, [this] { link_.SetModified(); });
    ShowField();
}

TDBEdit::~TDBEdit() {
    link_.SetDataSource(nullptr);
}

void TDBEdit::ShowField() {
    db::TField* field = link_.Field();
    int max = 32767;
    QString shown;
    if (field != nullptr) {
        try {
            shown = QString::fromStdString(link_.Editing() ? field->Text() : field->DisplayText());
        } catch (const std::exception&) {
            shown.clear();
        }
        if (field->DataType() == db::ftString && field->Size() > 0) {
            max = field->Size();
        }
    }
    setMaxLength(max);
    // Entering the edit state shows the same text: leave it, so the key that began the edit
    // lands where the cursor stands.
    if (shown == text()) {
        return;
    }
    showing_ = true;
    setText(shown);
    setCursorPosition(0);
    showing_ = false;
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (UndoChange()) {
            selectAll();
        } else {
            event->ignore();
        }
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        HandOver();
        event->ignore();
        return;
    }
    if (ChangesText(event) && !AskEdit()) {
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TDBEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!AskEdit()) {
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
    HandOver();
    QLineEdit::focusOutEvent(event);
}

}  // namespace ui
