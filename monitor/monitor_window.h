#pragma once

#include <functional>
#include <memory>
#include <string>

#include "monitor/call_road_ports.h"
#include "monitor/monitor_layout.h"
#include "platform/ui/form.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;
class TTrayIcon;
class TWaveFileList;

namespace book {
class KlapperCore;
class TelefoonLog;
struct KlapperBeller;
}  // namespace book
namespace capi {
class TBelverin;
}
namespace os {
class DdeService;
}
namespace rtl {
class TIniFile;
}

namespace monitor {

class CallRoadHost;

// The monitor window "ISDN Belverin": the last caller, the callers since start-up and the
// tool bar. It carries the line component and is the view the call road drives; the road
// itself is connected once the phone-book and call-log windows exist. Closing hides it.
class TForm1 : public ui::Form, public RoadView, public RoadDde {
    Q_OBJECT
  public:
    struct Parts {
        rtl::TIniFile& belvo;  // the settings file
        os::DdeService& dde;
        std::string programPath;  // the program file; its base name names the bus
        TTrayIcon* tray = nullptr;
    };

    explicit TForm1(Parts parts, QWidget* parent = nullptr);
    ~TForm1() override;

    // Start-up: layout, first memo line, the bus service, the speaking character, Outlook
    // and the tray tip. Registering with the line is OpenLine's.
    void FormCreate();
    // Opens the line on [capi] kaartnummer with [capi] afwijstijd. A failure that the line
    // does not report as a state change is shown in the caption and the memo.
    bool OpenLine();
    // The call road over the program's phone book and call log; the line's events go to it.
    void ConnectRoad(book::KlapperCore& klapper, book::TelefoonLog& log,
                     std::function<void()> toonmemo);
    // A call for the road; the test form's calls are `simulated`.
    void IncomingCall(const std::string& CallingPartyNumber, const std::string& CalledPartyNumber,
                      std::uint16_t CipValue, const std::string& CipValueString,
                      bool simulated = false);
    void ResetTeller1Click();

    // The layout as shown now; msnfontcolor is Panelmsn's font colour.
    MonitorLayout Layout() const;
    void ApplyLayout(const MonitorLayout& layout);
    // The bus name the service was offered under.
    const std::string& BusName() const { return busName_; }

    capi::TBelverin& Belverin1() { return *belverin1_; }
    TWaveFileList& WaveFileList1() { return *waveFileList1_; }
    CallRoadHost* RoadHost() { return host_.get(); }

    // Other windows, as start-up wires them.
    std::function<void(const std::string&)> OnSplashStep;
    std::function<void()> OnToonKlapper;
    std::function<void()> OnToonKlapperMemo;
    std::function<void()> OnToonLog;
    std::function<void()> OnToonLogMemo;
    std::function<void()> OnToonInstellingen;
    std::function<void(const book::KlapperBeller& beller, const std::string& source)> OnNieuw;
    // On every close of the window, after its layout was written; the window hides after it.
    std::function<void()> OnGesloten;

    // Menu and tool-bar handlers.
    void LettertypeNummer1Click();
    void LettertypeBellers1Click();
    void LettertypeGegevens1Click();
    void Bellersaanpassen1Click();
    void Gegevensaanpassen1Click();
    void StandaardIndeling1Click();
    void StandaardBellers1Click();
    void Helpopenen1Click();
    void Info1Click();
    void SpeedButton1Click();
    void bmemoklapperClick();
    void SpeedButton5Click();
    void SpeedButton2Click();
    void SpeedButton7Click();
    void SpeedButton3Click();
    void SpeedButton6Click();
    void bkillClick();
    void spklembordClick();
    void SpeedButton8Click();
    void SpeedButton4Click();

    QMenuBar* MainMenu1;
    QAction* Reset1;  // "Reset Teller"
    QWidget* Panel4;
    QLabel* L_nummer;
    QWidget* Panel5;
    QLabel* lteller;
    QWidget* Panel6;
    QSplitter* Splitters;  // Splitter1 and Splitter2 are its handles
    QWidget* Panelmsn;
    QPlainTextEdit* Memo1;
    QWidget* Panel1;
    QWidget* Panel3;
    QLabel* Image[kRoadImages];  // Image1 .. Image6
    QLabel* L_gegevens;
    QToolBar* ToolBar1;
    QToolButton* SpeedButton1;
    QToolButton* bmemoklapper;
    QToolButton* SpeedButton5;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton7;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton6;
    QToolButton* bkill;
    QToolButton* spklembord;
    QToolButton* SpeedButton8;
    QToolButton* SpeedButton4;
    QTimer* Timer1;
    QPlainTextEdit* Memo2;

    // RoadView
    void SetNummerLabel(const std::string& text) override;
    void SetGegevensLabel(const std::string& text) override;
    void SetTeller(std::int32_t teller) override;
    void SetImageVisible(RoadImage image, bool visible) override;
    void SetMsnColours(std::int32_t kleur, std::int32_t font) override;
    void SetPanel1Colour(std::int32_t kleur) override;
    void SetGegevensFontColour(std::int32_t kleur) override;
    void SetStayOnTop() override;
    void PopUp() override;
    void ShowWindow() override;
    void HideWindow() override;
    void StartPopupTimer(int milliseconds) override;
    void StopPopupTimer() override;
    void AddMemoLine(const std::string& line) override;
    void ClearMemo() override;
    void SetMemoEnabled(bool enabled) override;
    void SetHourglass(bool on) override;
    void SetTrayTip(const std::string& tip) override;
    void SetRejectEnabled(bool enabled) override;
    void SetMemoButtonEnabled(bool enabled) override;
    void SetCaption(const std::string& caption) override;
    void SetStatusMemo(const std::vector<std::string>& lines) override;
    void ShowNotice(const std::string& text) override;

    // RoadDde
    void Publish(const std::string& ddenummer, const std::string& ddenaam) override;

  protected:
    void FormClose(ui::CloseAction& action) override;

  private:
    void BuildMenu();
    void BuildPanels();
    void BuildToolBar();
    void Splash(const std::string& text);
    // Runs a handler; what it raises is shown, never passed to the event loop.
    void Guarded(const std::function<void()>& handler);
    void ChooseFont(QWidget& target);
    void StartLine();
    void OfferDde();
    void StartCharacter();
    std::string Now(const char* format) const;

    Parts parts_;
    std::unique_ptr<capi::TBelverin> belverin1_;
    std::unique_ptr<TWaveFileList> waveFileList1_;
    std::unique_ptr<CallRoadHost> host_;
    std::string busName_;
    bool ddeOffered_ = false;
    bool hourglass_ = false;
    int stateChanges_ = 0;
};

}  // namespace monitor
