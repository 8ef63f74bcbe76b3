#pragma once

#include <string>

#include "platform/ui/form.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace setup {

class TForm1;

// The choice of the installation folder: a folder list starting at the home folder
// (double-click enters), the files of the folder beside it, the path and the kind of
// installation.
class TFdirectory : public ui::Form {
    Q_OBJECT
  public:
    explicit TFdirectory(TForm1& main);

    // Shows the folder and judges it as a target.
    void SetDirectory(const std::string& folder);
    const std::string& Directory() const { return directory_; }

    void DirectoryListBox1Change();
    void BitBtn1Click();  // OK
    void BitBtn2Click();  // Cancel
    void bmdClick();      // a new folder

    QListWidget* DirectoryListBox1 = nullptr;
    QListWidget* FileListBox1 = nullptr;
    QLabel* lsetupdir = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* bmd = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Enter(QListWidgetItem* item);
    void Fill();

    TForm1& main_;
    std::string directory_;
};

}  // namespace setup
