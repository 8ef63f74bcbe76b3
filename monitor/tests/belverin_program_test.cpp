// The program's start-up and end in this process, offscreen, with a fake tray and a recording
// bus, over a copy of the program folder the build lays out.
#include "monitor/belverin_program.h"

#include <stdlib.h>
#include <QAction>
#include <QApplication>
#include <QMenu>

#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "components/tray_icon.h"
#include "monitor/book/ftelefoonklapper.h"
#include "monitor/book/ftelefoonlog.h"
#include "monitor/fmain.h"
#include "monitor/monitor_window.h"
#include "monitor/program_help.h"
#include "platform/os/fake_tray_shell.h"
#include "platform/os/recording_dde_service.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/help.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace fs = std::filesystem;

namespace {

class BelverinProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "belverin-program-XXXXXX").string();
        root_ = ::mkdtemp(tmpl.data());
        folder_ = root_ + "/program";
        fs::copy(BELVERIN_PROGRAM_DIR, folder_, fs::copy_options::recursive);
        fs::create_directory(root_ + "/runtime");
        fs::permissions(root_ + "/runtime", fs::perms::owner_all, fs::perm_options::replace);
        ::setenv("XDG_RUNTIME_DIR", (root_ + "/runtime").c_str(), 1);
        ::setenv("CAPISIM_SOCKET", (root_ + "/runtime/capisim.sock").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        rtl::SetProgramDir(folder_);
    }
    void TearDown() override {
        program_.reset();
        rtl::SetProgramDir("");
        fs::remove_all(root_);
    }

    monitor::BelverinProgram& Start(const std::string& ini, bool trayExists = true) {
        std::ofstream(folder_ + "/belvo.ini") << ini;
        auto shell = std::make_unique<os::FakeTrayShell>();
        shell->tray_exists = trayExists;
        shell->accept = trayExists;
        program_ = std::make_unique<monitor::BelverinProgram>(monitor::BelverinProgram::Options{
            folder_ + "/belverin", std::move(shell), std::make_unique<os::RecordingDdeService>()});
        EXPECT_TRUE(program_->Start());
        return *program_;
    }

    std::string root_;
    std::string folder_;
    ui::ScriptedDialogs boxes_;
    std::unique_ptr<monitor::BelverinProgram> program_;
};

TEST_F(BelverinProgramTest, TaskBarSettingDecidesToolWindowsButWithoutTrayTheMonitorKeepsItsEntry) {
    struct Case {
        std::string taakbalk;
        bool trayExists;
        bool monitorTool;
        bool othersTool;
    };
    for (const Case& c : {Case{"0", true, true, true}, Case{"1", true, false, false},
                          Case{"0", false, false, true}}) {
        auto& p = Start("[algemeen]\ntaakbalk=" + c.taakbalk + "\n", c.trayExists);
        const auto tool = [](QWidget* w) { return w->windowFlags().testFlag(Qt::Tool); };
        EXPECT_EQ(tool(p.Form1()), c.monitorTool) << c.taakbalk << c.trayExists;
        EXPECT_EQ(tool(p.Klapper()), c.othersTool) << c.taakbalk << c.trayExists;
        EXPECT_EQ(tool(p.Log()), c.othersTool) << c.taakbalk << c.trayExists;
        EXPECT_EQ(p.Form1()->isVisible(), !c.trayExists) << "without a tray the monitor shows";
        p.Sluiten();
        program_.reset();
    }
}

TEST_F(BelverinProgramTest, TrayMenuAsDesignedAndOnlySluitenEndsIt) {
    auto& p = Start("");
    monitor::TForm2& f2 = *p.Form2();
    QStringList captions;
    for (QAction* a : f2.PopupMenu1().actions()) {
        captions << (a->isSeparator() ? "-" : a->text());
    }
    EXPECT_EQ(captions, (QStringList{"&Monitor", "&Klapper", "&Log ", "-", "&Instellingen", "&Help",
                                     "-", "In&fo", "-", "&Sluiten"}));
    EXPECT_EQ(f2.PopupMenu1().defaultAction(), f2.menuForm1Belverin);
    EXPECT_EQ(f2.TrayIcon1().PopupMenu(), &f2.PopupMenu1());

    f2.menuForm1Belverin->trigger();
    EXPECT_TRUE(p.Form1()->isVisible());
    f2.menuTelefoonklapper1->trigger();
    EXPECT_TRUE(p.Klapper()->isVisible());
    for (QWidget* w : std::initializer_list<QWidget*>{p.Form1(), p.Klapper()}) {
        w->close();
        EXPECT_FALSE(w->isVisible());
    }
    QApplication::processEvents();
    EXPECT_FALSE(p.Ended()) << "closing windows never ends the program";

    f2.menuExitApplication1->trigger();
    EXPECT_TRUE(p.Ended());
    EXPECT_EQ(p.Form1(), nullptr);
    EXPECT_EQ(p.Klapper(), nullptr);
}

TEST_F(BelverinProgramTest, HelpWithoutAHelpFileIsANoticeThatHoldsNothingUp) {
    auto& p = Start("");
    p.Form2()->Help1->trigger();
    ASSERT_EQ(boxes_.shown().size(), 1u);
    EXPECT_EQ(boxes_.shown()[0].kind, ui::ScriptedDialogs::Kind::Notice);
    EXPECT_EQ(boxes_.shown()[0].text, "Geen help gevonden (onderwerp 10).");
}

}  // namespace
