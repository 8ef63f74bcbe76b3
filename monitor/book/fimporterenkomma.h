#pragma once

#include <QPointer>
#include <array>
#include <string>

#include "monitor/book/import_mapping.h"
#include "platform/ui/form.h"

class QLabel;
class QListView;
class QListWidget;
class QPushButton;

namespace book {

class CsvLinesModel;
class KlapperCore;

// The import window "Importeren Comma Separated Values (CSV) bestand": a file's lines, the
// fields of a sample line, seventeen target buttons and the run. One at a time; closing it
// frees it. What it does with the phone book is KlapperImport's.
class TFimporterenkomma : public ui::Form {
    Q_OBJECT
  public:
    // Shows the window on the phone book, making it when none is open.
    static TFimporterenkomma* Open(KlapperCore& klapper);
    static TFimporterenkomma* Current() { return current_; }

    explicit TFimporterenkomma(KlapperCore& klapper, QWidget* parent = nullptr);
    ~TFimporterenkomma() override;

    // The user's actions, as the buttons and the line list run them.
    void SelecteerBestandClick();
    void LoadFile(const std::string& path);
    void ScheidingstekenClick();
    void Listbox1DblClick();
    void TargetClick(int target);
    void StartClick();

    char Separator() const { return separator_; }
    const ImportMapping& Mapping() const { return mapping_; }
    CsvLinesModel& Lines() { return *lines_; }
    QListView& listbox1() { return *listbox1_; }
    QListWidget& ListBox2() { return *listBox2_; }
    QPushButton& TargetButton(int target) { return *targets_.at(static_cast<std::size_t>(target)); }
    QPushButton& StartButton() { return *start_; }
    QPushButton& SeparatorButton() { return *separatorButton_; }
    QLabel& lteller() { return *lteller_; }
    QLabel& ltellertotaal() { return *ltellertotaal_; }

  private:
    class Port;

    void BuildLeft(QWidget& panel);
    void BuildTargets(QWidget& panel);
    void ResetTargets();
    template <typename F>
    void Guarded(F command);

    static QPointer<TFimporterenkomma> current_;

    KlapperCore& klapper_;
    char separator_ = ',';
    // The separator the listed lines were rewritten with.
    char linesSeparator_ = ',';
    ImportMapping mapping_;
    CsvLinesModel* lines_ = nullptr;
    QListView* listbox1_ = nullptr;
    QListWidget* listBox2_ = nullptr;
    std::array<QPushButton*, kImportTargets> targets_{};
    QPushButton* start_ = nullptr;
    QPushButton* separatorButton_ = nullptr;
    QLabel* lteller_ = nullptr;
    QLabel* ltellertotaal_ = nullptr;
};

}  // namespace book
