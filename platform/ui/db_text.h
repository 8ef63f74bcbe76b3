#pragma once

#include <QLabel>
#include <functional>
#include <string>

#include "platform/db/field_data_link.h"

namespace db {
class TDataSource;
class TField;
}  // namespace db

namespace ui {

// A label that shows a field's display text; a click runs OnClick.
class TDBText : public QLabel {
    Q_OBJECT

  public:
    explicit TDBText(QWidget* parent = nullptr);
    ~TDBText() override;

    db::TDataSource* DataSource() const { return link_.DataSource(); }
    void SetDataSource(db::TDataSource* source);
    const std::string& DataField() const { return link_.FieldName(); }
    void SetDataField(const std::string& name) { link_.SetFieldName(name); }
    db::TField* Field() const { return link_.Field(); }

    std::function<void(TDBText&)> OnClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void ShowField();

    db::TFieldDataLink link_;
};

}  // namespace ui
