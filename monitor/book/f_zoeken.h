#pragma once

#include <QPointer>
#include <string>

#include "monitor/book/zoeken.h"
#include "platform/ui/form.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace db {
class TDataSet;
}

namespace book {

// The target of a window whose grid shows `data`: the grid is repainted after each search.
ZoekDoel GridDoel(db::TDataSet& data, QTableView& grid);

// The search window "Zoeken": one for the program, over the target its opener set (see
// Zoeken). It stays on top; closing it frees it, the target and the last text stay.
class Tf_zoeken : public ui::Form {
    Q_OBJECT
  public:
    // Sets the target and shows the window, making it when none is open.
    static Tf_zoeken* Open(ZoekDoel doel);
    static Tf_zoeken* Current() { return current_; }

    explicit Tf_zoeken(QWidget* parent = nullptr);
    ~Tf_zoeken() override;

    // "&Zoek eerste" (and Enter in the entry) and "&Volgende".
    void ZoekEersteClick();
    void VolgendeClick();

    QLineEdit& e_1() { return *e_1_; }
    QCheckBox& Gedeelte() { return *gedeelte_; }
    QPushButton& ZoekEerste() { return *zoekEerste_; }
    QPushButton& Volgende() { return *volgende_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    class Port;
    void Search(bool fromFirst);

    static QPointer<Tf_zoeken> current_;

    QLineEdit* e_1_ = nullptr;
    QCheckBox* gedeelte_ = nullptr;
    QPushButton* zoekEerste_ = nullptr;
    QPushButton* volgende_ = nullptr;
};

}  // namespace book
