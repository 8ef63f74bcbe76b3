#include "platform/ui/db_field_edit.h"

#include <QWidget>

#include "platform/ui/dialogs.h"

namespace ui {

TDBFieldEdit::TDBFieldEdit(QWidget& control) : control_(control) {
    link_.OnDataChange = [this] { ShowField(); };
    link_.OnActiveChange = [this] { ShowField(); };
    link_.OnFocusControl = [this] { control_.setFocus(); };
}

void TDBFieldEdit::SetDataSource(db::TDataSource* source) {
    link_.SetDataSource(source);
    ShowField();
}

bool TDBFieldEdit::AskEdit() {
    if (!link_.CanModify()) {
        return false;
    }
    try {
        return link_.Edit();
    } catch (const std::exception& error) {
        ShowException(error);
        return false;
    }
}

void TDBFieldEdit::HandOver() {
    if (!link_.Modified()) {
        return;
    }
    try {
        link_.UpdateRecord();
    } catch (const std::exception& error) {
        ShowException(error);
        control_.setFocus();
    }
}

bool TDBFieldEdit::UndoChange() {
    if (!link_.Modified()) {
        return false;
    }
    link_.Reset();
    return true;
}

}  // namespace ui
