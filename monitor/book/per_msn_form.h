#pragma once

#include <QLabel>
#include <QPushButton>
#include <array>
#include <string>

#include "monitor/book/held_record.h"
#include "monitor/book/per_msn_labels.h"
#include "platform/ui/form.h"

namespace db {
class TDataSource;
}

namespace book {

// What the reject and sound forms share: ten clickable labels over one per-MSN field of the
// phone book's current record, and OK. The record and the field are read once, when the form
// is first shown, so clicks survive a switch of windows; OK writes to that record even when a
// call's lookup moved the table meanwhile. Closing by the close box writes nothing. Made when
// opened, freed when closed; not modal.
class PerMsnForm : public ui::Form {
    Q_OBJECT
  public:
    QLabel* Label(int n) const { return labels_[n - 1]; }  // l1 .. l10
    std::string LabelText(int n) const { return Label(n)->text().toStdString(); }
    MsnLabels Labels() const;

    // Reads the record the first time only.
    void FormActivate();
    // A click on label n (1..10).
    void l1Click(int n);
    // OK: writes the field and closes.
    void BitBtn1Click();

    QLabel* Note1;
    QLabel* Note2;
    QPushButton* BitBtn1;

  protected:
    PerMsnForm(db::TDataSource* source, std::string field, const MsnLabels& design,
               QWidget* parent);

    virtual MsnLabels Shown(const std::string& value, const MsnLabels& current) const = 0;
    virtual std::string Clicked(int n, const std::string& text) const = 0;
    virtual std::string Value(const MsnLabels& labels) const = 0;

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    db::TDataSource* source_;
    std::string field_;
    std::array<QLabel*, kMsnLabels> labels_{};
    HeldRecord held_;
    bool read_ = false;
};

}  // namespace book
