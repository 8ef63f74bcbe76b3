#include "platform/ui/db_text.h"

#include <QMouseEvent>

#include "platform/db/field.h"
#include "platform/ui/dialogs.h"

namespace ui {

TDBText::TDBText(QWidget* parent) : QLabel(parent) {
    link_.OnDataChange = [this] { ShowField(); };
    link_.OnActiveChange = [this] { ShowField(); };
    setTextFormat(Qt::PlainText);
}

TDBText::~TDBText() {
    link_.SetDataSource(nullptr);
}

void TDBText::SetDataSource(db::TDataSource* source) {
    link_.SetDataSource(source);
    ShowField();
}

void TDBText::ShowField() {
    QString shown;
    if (db::TField* field = link_.Field()) {
        try {
            shown = QString::fromStdString(field->DisplayText());
        } catch (const std::exception&) {
            shown.clear();
        }
    }
    setText(shown);
}

void TDBText::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        OnClick) {
        try {
            OnClick(*this);
        } catch (const std::exception& error) {
            ShowException(error);
        }
    }
}

}  // namespace ui
