#include "setup/fdirectory.h"

#include <sys/stat.h>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

#include <cerrno>
#include <filesystem>

#include "platform/ui/dialogs.h"
#include "setup/fsetup.h"

namespace setup {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

TFdirectory::TFdirectory(TForm1& main) : main_(main) {
    setObjectName("Fdirectory");
    SetCaption("Setup voor Belverin");
    auto* grid = new QGridLayout(this);
    grid->addWidget(
        new QLabel("Dubbelklik op directory waar U het programma wilt installeren ", this), 0, 0, 1,
        2);
    lsetupdir = new QLabel(this);
    lsetupdir->setTextFormat(Qt::PlainText);
    grid->addWidget(lsetupdir, 1, 0, 1, 2);
    DirectoryListBox1 = new QListWidget(this);
    FileListBox1 = new QListWidget(this);
    FileListBox1->setSelectionMode(QAbstractItemView::NoSelection);
    grid->addWidget(DirectoryListBox1, 2, 0);
    grid->addWidget(FileListBox1, 2, 1);
    auto* kindCaption = new QLabel("Soort installatie:", this);
    Label2 = new QLabel("?", this);
    grid->addWidget(kindCaption, 3, 0);
    grid->addWidget(Label2, 3, 1);
    grid->addWidget(new QLabel("Doel directory", this), 4, 0);
    bmd = new QPushButton("Maak een nieuwe directory", this);
    grid->addWidget(bmd, 4, 1);
    BitBtn1 = new QPushButton("OK", this);
    BitBtn2 = new QPushButton("Cancel", this);
    grid->addWidget(BitBtn1, 5, 0);
    grid->addWidget(BitBtn2, 5, 1);
    resize(560, 420);

    connect(DirectoryListBox1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Enter(item); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(bmd, &QPushButton::clicked, this, [this] { bmdClick(); });
    SetDirectory(QDir::homePath().toStdString());
}

void TFdirectory::SetDirectory(const std::string& folder) {
    directory_ = folder;
    while (directory_.size() > 1 && directory_.back() == '/') {
        directory_.pop_back();
    }
    Fill();
    DirectoryListBox1Change();
}

void TFdirectory::Fill() {
    DirectoryListBox1->clear();
    FileListBox1->clear();
    const QDir dir(Q(directory_));
    if (directory_ != "/") {
        DirectoryListBox1->addItem("..");
    }
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        DirectoryListBox1->addItem(name);
    }
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        FileListBox1->addItem(name);
    }
}

void TFdirectory::Enter(QListWidgetItem* item) {
    const std::string name = item->text().toStdString();
    std::filesystem::path next = directory_;
    next = name == ".." ? next.parent_path() : next / name;
    SetDirectory(next.string());
}

void TFdirectory::DirectoryListBox1Change() {
    lsetupdir->setText(Q(directory_));
    const TargetJudgement judgement = main_.Flow().ChooseTarget(directory_);
    Label2->setText(Q(judgement.label));
    BitBtn1->setEnabled(judgement.okEnabled);
}

void TFdirectory::showEvent(QShowEvent* event) {
    ui::Form::showEvent(event);
    DirectoryListBox1Change();
}

void TFdirectory::BitBtn1Click() {
    hide();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!main_.RunInstallation()) {
        show();  // the update could not start yet
    }
}

void TFdirectory::BitBtn2Click() {
    close();
}

void TFdirectory::bmdClick() {
    const std::string base = directory_ == "/" ? "/" : directory_ + "/";
    std::string name;
    if (!ui::dialogs().InputQuery("Nieuwe directory maken ", "Dir maken in " + base, name)) {
        return;
    }
    if (name.empty() || ::mkdir((base + name).c_str(), 0755) != 0) {
        ui::dialogs().MessageDlg("Kan Directory niet maken", ui::MsgDlgType::Warning, ui::mbOK);
        return;
    }
    Fill();
    DirectoryListBox1Change();
}

}  // namespace setup
