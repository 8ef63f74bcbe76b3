#pragma once

#include <QPointer>
#include <string>
#include <vector>

#include "monitor/book/grid_print.h"
#include "platform/ui/form.h"

class QListWidget;

namespace db {
class TDataSet;
}
namespace ui {
class TDBGrid;
}

namespace book {

// The report over a table's grid. It has no window: it builds the report and asks the
// program's preview to show it.
class Tprintdbgridsform2 {
  public:
    // The selected titles' columns with the grid's fonts.
    static void PrintDBGrid(db::TDataSet& table, ui::TDBGrid& grid, const std::string& title,
                            const std::string& subtitle, const std::vector<std::string>& selected);
    // Asks for one font and builds the report with it; nothing when the user cancels.
    static void PrintDBGridanderfont(db::TDataSet& table, ui::TDBGrid& grid,
                                     const std::string& title, const std::string& subtitle,
                                     const std::vector<std::string>& selected);
};

// The grid's columns as the report sees them.
std::vector<PrintColumn> PrintColumns(const ui::TDBGrid& grid);

// The column chooser: the grid's titles on the left, the report's columns on the right. Not
// modal; freed when closed.
class Tprintdbgridsform : public ui::Form {
    Q_OBJECT
  public:
    explicit Tprintdbgridsform(QWidget* parent = nullptr);

    // Opens the one chooser for this table and grid, making it when there is none.
    static Tprintdbgridsform* PrintDBGrid(db::TDataSet& table, ui::TDBGrid& grid,
                                          const std::string& title, const std::string& subtitle);
    // The chooser while it is open.
    static Tprintdbgridsform* Current() { return current_; }

    QListWidget& ListBox() { return *listBox_; }
    QListWidget& ListBox1() { return *listBox1_; }
    std::vector<std::string> Selected() const;

    void Toevoegen();       // ">"
    void AllesToevoegen();  // "Alles >"
    void Wissen();          // "<"
    void AllesWissen();     // "< Alles"
    void Omhoog();
    void Omlaag();
    void Voorbeeld();
    void VoorbeeldAnderFont();
    void Annuleren();

  private:
    void Show(db::TDataSet& table, ui::TDBGrid& grid, const std::string& title,
              const std::string& subtitle);
    void Move(int step);

    static QPointer<Tprintdbgridsform> current_;
    QListWidget* listBox_ = nullptr;
    QListWidget* listBox1_ = nullptr;
    QPointer<ui::TDBGrid> grid_;
    db::TDataSet* table_ = nullptr;
    std::string title_;
    std::string subtitle_;
};

}  // namespace book
