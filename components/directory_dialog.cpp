#include "components/directory_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <filesystem>
#include <system_error>

#include "platform/rtl/exception.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/help.h"

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

TabcsfDirectoryDialog::TabcsfDirectoryDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Choose Folder");
    lblDirCaption = new QLabel("&Folders:", this);
    lblDir = new QLabel(this);
    lblDir->setTextFormat(Qt::PlainText);
    lblDir->setMinimumWidth(1);
    edDir = new QLineEdit(this);
    edDir->hide();
    cboDir = new QComboBox(this);
    cboDir->setEditable(true);
    cboDir->hide();

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath("/");
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setModel(model_);
    DirectoryListBox1->setHeaderHidden(true);
    for (int c = 1; c < model_->columnCount(); ++c) {
        DirectoryListBox1->hideColumn(c);
    }
    DirectoryListBox1->setMinimumSize(325, 117);
    lblDirCaption->setBuddy(DirectoryListBox1);

    lblDrives = new QLabel("Dri&ves:", this);
    DriveComboBox1 = new QComboBox(this);
    lblDrives->setBuddy(DriveComboBox1);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid()) {
            DriveComboBox1->addItem(volume.rootPath());
        }
    }

    btnOK = new QPushButton("OK", this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton("Cancel", this);
    btnHelp = new QPushButton("&Help", this);
    btnHelp->hide();

    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    FolderChanged(model_->filePath(current).toStdString());
                }
            });
    connect(DirectoryListBox1, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            FolderChanged(model_->filePath(index).toStdString());
        }
    });
    // The tree reads folders in its own thread; the current folder is marked once it is read.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] {
        const QModelIndex index = model_->index(Q(folder_));
        if (index.isValid()) {
            for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
                DirectoryListBox1->expand(up);
            }
            if (DirectoryListBox1->currentIndex() != index) {
                DirectoryListBox1->setCurrentIndex(index);
            }
            DirectoryListBox1->scrollTo(index);
        }
    });
    connect(DriveComboBox1, &QComboBox::activated, this, &TabcsfDirectoryDialog::DriveChosen);
    connect(btnOK, &QPushButton::clicked, this, &TabcsfDirectoryDialog::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, [this] { ui::ShowHelpContext(HelpContext); });
}

bool TabcsfDirectoryDialog::SetFolder(const std::string& folder) {
    if (!IsFolder(folder)) {
        return false;
    }
    const QString path = QDir(Q(folder)).absolutePath();
    const QModelIndex index = model_->index(path);
    if (index.isValid()) {
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
            DirectoryListBox1->expand(up);
        }
        DirectoryListBox1->setCurrentIndex(index);
        DirectoryListBox1->scrollTo(index);
    }
    // The tree may still be reading; the folder holds regardless.
    FolderChanged(path.toStdString());
    return true;
}

void TabcsfDirectoryDialog::FolderChanged(const std::string& folder) {
    folder_ = folder;
    const QString text = Q(folder);
    lblDir->setToolTip(text);
    lblDir->setText(
        lblDir->fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(lblDir->width(), 325)));
    if (edDir->isVisibleTo(this)) {
        edDir->setText(text);
    } else if (cboDir->isVisibleTo(this)) {
        cboDir->setEditText(text);
    }
}

void TabcsfDirectoryDialog::DriveChosen(int index) {
    if (index >= 0) {
        SetFolder(DriveComboBox1->itemText(index).toStdString());
    }
}

bool TabcsfDirectoryDialog::Ask(int message, const std::string& path) {
    return ui::dialogs().MessageDlg(DirectoryMessage(message, path), ui::MsgDlgType::Confirmation,
                                    ui::mbYes | ui::mbNo) != ui::mrNo;
}

void TabcsfDirectoryDialog::Tell(int message, const std::string& path) {
    const auto type = message == kMsgInvalidName || message == kMsgNoDrive
                          ? ui::MsgDlgType::Error
                          : ui::MsgDlgType::Warning;
    ui::dialogs().MessageDlg(DirectoryMessage(message, path), type, ui::mbOK);
}

void TabcsfDirectoryDialog::btnOKClick() {
    std::string path;
    if (lblDir->isVisibleTo(this)) {
        path = folder_;  // never the shortened label
    } else if (edDir->isVisibleTo(this)) {
        path = edDir->text().toStdString();
    } else {
        path = cboDir->currentText().toStdString();
    }
    result_ = path;
    if (path.empty()) {
        return;
    }
    if (!options.Has(doNoValidate)) {
        const PathCheck check = CheckDirectoryPath(path, QDir::currentPath().toStdString());
        if (!check.ok) {
            Tell(check.message, path);
            return;
        }
        result_ = check.path;
    }
    if (IsFolder(result_)) {
        if (options.Has(doPathNotExist)) {
            Tell(kMsgPathExists, result_);
            return;
        }
        if (options.Has(doExistPrompt) && !Ask(kMsgUsePath, result_)) {
            return;
        }
        accept();
        return;
    }
    if (options.Has(doPathMustExist)) {
        Tell(kMsgPathMissing, result_);
        return;
    }
    if (options.Has(doCreatePrompt) && !Ask(kMsgCreatePath, result_)) {
        return;
    }
    if (options.Has(doCreate)) {
        std::error_code ec;
        std::filesystem::create_directories(result_, ec);
        if (ec || !IsFolder(result_)) {
            // Raised by Execute once the window has closed, never out of this slot.
            createError_ = "Kan map niet maken: " + result_ + " (" +
                           (ec ? ec.message() : std::string("geen map")) + ")";
            reject();
            return;
        }
    }
    accept();
}

TDirectoryDialog::TDirectoryDialog(db::TComponent* owner) : db::TComponent(owner) {}

void TDirectoryDialog::SetDirEditStyle(TDirEditStyle style) {
    if (style == editStyle_) {
        return;
    }
    editStyle_ = style;
    if (style == desLabel) {
        TDirectoryOptions next = options_;
        next.Include(doPathMustExist);
        SetOptions(next);
    }
}

void TDirectoryDialog::SetOptions(TDirectoryOptions options) {
    options_ = ConsistentOptions(options, options_, editStyle_);
}

void TDirectoryDialog::SetHistoryList(const rtl::TStringList& list) {
    if (&list != &history_) {
        history_ = list;
    }
}

void TDirectoryDialog::Prepare(TabcsfDirectoryDialog& form) {
    form.options = options_;
    form.HelpContext = HelpContext;
    const bool help = options_.Has(doShowHelp);
    form.btnHelp->setVisible(help);

    auto* grid = new QGridLayout(&form);
    grid->addWidget(form.lblDirCaption, 0, 0);
    grid->addWidget(form.lblDir, 1, 0);
    grid->addWidget(form.edDir, 1, 0);
    grid->addWidget(form.cboDir, 1, 0);
    grid->addWidget(form.DirectoryListBox1, 2, 0);
    grid->addWidget(form.lblDrives, 3, 0);
    grid->addWidget(form.DriveComboBox1, 4, 0);
    QBoxLayout* buttons = nullptr;
    if (DirDialogStyle == ddsBtnRight) {
        buttons = new QVBoxLayout;
        grid->addLayout(buttons, 0, 1, 5, 1);
    } else {
        buttons = new QHBoxLayout;
        buttons->addStretch();
        grid->addLayout(buttons, 5, 0);
    }
    buttons->addWidget(form.btnOK);
    buttons->addWidget(form.btnCancel);
    buttons->addWidget(form.btnHelp);
    if (DirDialogStyle == ddsBtnRight) {
        buttons->addStretch();
    }

    if (!Directory.empty() && !form.SetFolder(Directory)) {
        ui::dialogs().MessageDlg("Map niet gevonden: " + Directory, ui::MsgDlgType::Error,
                                 ui::mbOK);
        form.SetFolder(QDir::currentPath().toStdString());
    } else if (Directory.empty()) {
        form.SetFolder(QDir::currentPath().toStdString());
    }
    if (editStyle_ == desEdit) {
        form.lblDir->hide();
        form.edDir->show();
        form.edDir->setText(Q(form.Folder()));
    } else if (editStyle_ == desCombo) {
        form.lblDir->hide();
        form.cboDir->show();
        for (const std::string& item : history_.Items()) {
            form.cboDir->addItem(Q(item));
        }
        form.cboDir->setEditText(Q(form.Folder()));
    }
    if (DirLabelStyle == dlsDirectory) {
        form.lblDirCaption->setText("&Directories:");
        form.setWindowTitle(Title.empty() ? QString("Choose Directory") : Q(Title));
    } else if (!Title.empty()) {
        form.setWindowTitle(Q(Title));
    }
    if (options_.Has(doNoChangeDrive)) {
        form.lblDrives->setEnabled(false);
        form.DriveComboBox1->setEnabled(false);
    }
    if (options_.Has(doHideDrive)) {
        form.lblDrives->hide();
        form.DriveComboBox1->hide();
    }
}

bool TDirectoryDialog::Execute(QWidget* parent) {
    TabcsfDirectoryDialog form(parent);
    Prepare(form);
    const int result = form.exec();
    if (!form.CreateError().empty()) {
        throw rtl::EInOutError(form.CreateError());
    }
    if (result != QDialog::Accepted) {
        return false;
    }
    Directory = form.ResultPath();
    if (options_.Has(doUpdateHistory)) {
        PutFirstInHistory(history_, Directory);
    }
    return true;
}
