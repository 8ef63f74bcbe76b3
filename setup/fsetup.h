#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "platform/ui/form.h"
#include "setup/setup_flow.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace setup {

class TFdirectory;

// The setup's main form: the install list, the log memo and the progress of a run. It is the
// run's port: memo lines, progress, boxes and questions through the dialog service.
class TForm1 : public ui::Form, public SetupPort {
    Q_OBJECT
  public:
    TForm1(std::string setupDir, InstanceClaim& claim,
           os::XdgEnvironment env = os::XdgEnvironment::FromEnvironment(),
           ProgramStarter starter = DetachedStarter());
    ~TForm1() override;

    SetupFlow& Flow() { return *flow_; }
    TFdirectory& Directory();

    void BitBtn1Click();  // Start
    void BitBtn3Click();  // Sluiten
    // OK on the directory form: the run, with this window showing it.
    bool RunInstallation();

    QListWidget* cb1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    // SetupPort
    void Line(const std::string& text) override;
    void ProgressMax(int maximum) override;
    void ProgressStep() override;
    void Pump() override;
    void ErrorBox(const std::string& text) override;
    void Message(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    bool AskErrorYesCancel(const std::string& text) override;
    std::string MemoText() const override;
    void ShowEnding(const std::string& label1, const std::string& label2) override;
    void CloseMain() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();

    std::unique_ptr<SetupFlow> flow_;
    QPointer<TFdirectory> directory_;
    bool running_ = false;
    bool closeWanted_ = false;
};

}  // namespace setup
