#pragma once

#include <QDialog>
#include <string>

#include "components/directory_rules.h"
#include "platform/db/component.h"
#include "platform/rtl/string_list.h"

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

// The chooser's window: a folder tree, the mounted file systems as the drive list, the path as
// a label, an edit line or a history box, and OK, Cancel and Help.
class TabcsfDirectoryDialog : public QDialog {
    Q_OBJECT
  public:
    explicit TabcsfDirectoryDialog(QWidget* parent = nullptr);

    // Moves the tree to `folder`; false when it is no folder.
    bool SetFolder(const std::string& folder);
    // The folder the tree stands on, whole.
    const std::string& Folder() const { return folder_; }
    const std::string& ResultPath() const { return result_; }
    // The error of a folder that could not be made; the dialog closed on it.
    const std::string& CreateError() const { return createError_; }

    void btnOKClick();

    TDirectoryOptions options;
    int HelpContext = 0;
    QLabel* lblDirCaption;
    QLabel* lblDir;
    QLineEdit* edDir;
    QComboBox* cboDir;
    QTreeView* DirectoryListBox1;
    QLabel* lblDrives;
    QComboBox* DriveComboBox1;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;

  private:
    void FolderChanged(const std::string& folder);
    void DriveChosen(int index);
    bool Ask(int message, const std::string& path);
    void Tell(int message, const std::string& path);

    QFileSystemModel* model_;
    std::string folder_;
    std::string result_;
    std::string createError_;
};

// The folder chooser as a component: set its properties, call Execute.
class TDirectoryDialog : public db::TComponent {
  public:
    explicit TDirectoryDialog(db::TComponent* owner = nullptr);

    bool Ctl3D = true;
    TDirButtonStyle DirButtonStyle = dbsButton;
    TDirDialogStyle DirDialogStyle = ddsBtnBottom;
    std::string Directory;
    TDirLabelStyle DirLabelStyle = dlsFolder;
    int HelpContext = 0;
    std::string Title;

    TDirEditStyle DirEditStyle() const { return editStyle_; }
    void SetDirEditStyle(TDirEditStyle style);
    TDirectoryOptions Options() const { return options_; }
    void SetOptions(TDirectoryOptions options);
    const rtl::TStringList& HistoryList() const { return history_; }
    void SetHistoryList(const rtl::TStringList& list);

    // Shows the chooser modally; true with the chosen folder in Directory on OK. A folder that
    // could not be made raises rtl::EInOutError after the window has closed.
    bool Execute(QWidget* parent = nullptr);

  private:
    void Prepare(TabcsfDirectoryDialog& form);

    TDirEditStyle editStyle_ = desLabel;
    TDirectoryOptions options_{doPathMustExist, doUpdateHistory};
    rtl::TStringList history_;
};
