#include "setup/fsetup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "platform/ui/dialogs.h"
#include "setup/fdirectory.h"

namespace setup {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A carriage return in a box's text is its line break.
std::string BoxText(std::string text) {
    for (char& c : text) {
        if (c == '\r') {
            c = '\n';
        }
    }
    return text;
}

}  // namespace

TForm1::TForm1(std::string setupDir, InstanceClaim& claim, os::XdgEnvironment env,
               ProgramStarter starter)
    : flow_(std::make_unique<SetupFlow>(std::move(setupDir), *this, claim, std::move(env),
                                        std::move(starter))) {
    setObjectName("Form1");
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel("Druk op \"Start\" om Belverin te installeren", this);
    Label2 = new QLabel("Setup bestanden:", this);
    cb1 = new QListWidget(this);
    Memo1 = new QPlainTextEdit("Setup/Update info.....", this);
    Memo1->setReadOnly(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 0);
    ProgressBar1->setValue(0);
    ProgressBar1->setRange(0, 100);
    BitBtn1 = new QPushButton("Start", this);
    BitBtn3 = new QPushButton("Sluiten", this);
    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(Label2);
    left->addWidget(cb1);
    lists->addLayout(left, 1);
    lists->addWidget(Memo1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn3);
    layout->addLayout(lists, 1);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    resize(640, 400);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });

    directory_ = new TFdirectory(*this);
    FormCreate();
}

TForm1::~TForm1() {
    delete directory_.data();
}

TFdirectory& TForm1::Directory() {
    return *directory_;
}

void TForm1::FormCreate() {
    SetCaption(flow_->Caption());
    const ListCheck& check = flow_->Check();
    const std::vector<InstallEntry>& entries = flow_->List().entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto* item = new QListWidgetItem(Q(entries[i].name), cb1);
        item->setFlags(Qt::ItemIsEnabled);
        item->setCheckState(check.present[i] ? Qt::Checked : Qt::Unchecked);
    }
    BitBtn1->setEnabled(check.startEnabled);
    if (!check.label1.empty()) {
        Label1->setText(Q(check.label1));
    }
    Label2->setText(Q(check.label2));
}

void TForm1::BitBtn1Click() {
    QApplication::beep();
    ui::dialogs().ShowMessage(
        BoxText("Sluit eerst een eventueel aktieve Belverin\r\r(Bij een nog draaiende versie van "
                "dit\r programma mislukt de installatie)"));
    directory_->show();
    directory_->raise();
}

void TForm1::BitBtn3Click() {
    close();
}

bool TForm1::RunInstallation() {
    running_ = true;
    setEnabled(false);
    bool ran = false;
    try {
        ran = flow_->Confirm();
    } catch (const std::exception& e) {
        Line(std::string("FOUT: ") + e.what());
        ran = true;
    }
    setEnabled(true);
    running_ = false;
    if (closeWanted_) {
        close();
    }
    return ran;
}

void TForm1::Line(const std::string& text) {
    Memo1->appendPlainText(Q(text));
}

void TForm1::ProgressMax(int maximum) {
    // A range of 0 to 0 would draw as busy (a full bar): nothing to do shows an empty one.
    ProgressBar1->setRange(0, std::max(maximum, 1));
    ProgressBar1->setValue(0);
}

void TForm1::ProgressStep() {
    ProgressBar1->setValue(ProgressBar1->value() + 1);
}

void TForm1::Pump() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::ErrorBox(const std::string& text) {
    ui::dialogs().MessageDlg(BoxText(text), ui::MsgDlgType::Error, ui::mbOK);
}

void TForm1::Message(const std::string& text) {
    ui::dialogs().ShowMessage(BoxText(text));
}

bool TForm1::AskYesNo(const std::string& text) {
    return ui::dialogs().MessageDlg(BoxText(text), ui::MsgDlgType::Confirmation,
                                    ui::mbYes | ui::mbNo) != ui::mrNo;
}

bool TForm1::AskErrorYesCancel(const std::string& text) {
    return ui::dialogs().MessageDlg(BoxText(text), ui::MsgDlgType::Error,
                                    ui::mbYes | ui::mbCancel) != ui::mrCancel;
}

std::string TForm1::MemoText() const {
    return Memo1->toPlainText().toStdString();
}

void TForm1::ShowEnding(const std::string& label1, const std::string& label2) {
    setEnabled(true);
    show();
    BitBtn1->setEnabled(false);
    Label1->setText(Q(label1));
    Label2->setText(Q(label2));
    setEnabled(false);
    Pump();
}

void TForm1::CloseMain() {
    closeWanted_ = true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();  // a run cannot be broken off halfway
        return;
    }
    ui::Form::closeEvent(event);
}

}  // namespace setup
