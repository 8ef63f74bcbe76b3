#include "monitor/fcommandline.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "monitor/settings.h"
#include "platform/os/tests/probe_fixture.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/recording_help.h"
#include "platform/ui/scripted_dialogs.h"

namespace monitor {
namespace {

void FreeClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class CommandLineEditor : public ::testing::Test {
  protected:
    void SetUp() override {
        rtl::SetProgramDir(folder.Dir());
        instellingen = Instellingen{};
        TFcommandline::SetReceiver("finstellingen", &settingsWindow, [this](const std::string& t) {
            handed.push_back("finstellingen:" + t);
        });
        TFcommandline::SetReceiver("Ftelklapperedit", &entryWindow, [this](const std::string& t) {
            handed.push_back("Ftelklapperedit:" + t);
        });
    }
    void TearDown() override {
        if (auto* e = TFcommandline::Instance()) {
            e->close();
        }
        FreeClosed();
        rtl::SetProgramDir("");
        instellingen = Instellingen{};
    }

    os::testing::ProbeFolder folder;  // a throw-away program folder
    QObject settingsWindow;
    QObject entryWindow;
    std::vector<std::string> handed;
    ui::ScriptedDialogs dialogs;
};

TEST_F(CommandLineEditor, EachTagShowsItsCaptionPanelAndHelp) {
    struct Case {
        const char* tag;
        const char* caption;
        bool browse;
        int help;
    };
    const Case cases[] = {
        {"finstellingen", "Commandline Msn 1", true, 630},
        {"Ftelklapperedit", "Commandline voor nummer 0201234567", true, 630},
        {"bellersstringtest", "Bellersstring aanpassen", false, 610},
        {"gegevensstringtest", "Gegevensstring aanpassen", false, 610},
        {"iets anders", "Iets", true, 630},
    };
    for (const auto& c : cases) {
        ui::RecordingHelp help;
        TFcommandline* e = TFcommandline::start(c.tag, "prog %t", c.caption);
        ASSERT_NE(e, nullptr);
        EXPECT_TRUE(e->isVisible());
        EXPECT_TRUE(e->StayOnTop());
        EXPECT_EQ(e->Caption(), c.caption);
        EXPECT_EQ(e->E_naam->text(), "prog %t");
        EXPECT_EQ(e->Panel3->isVisible(), c.browse) << c.tag;
        EXPECT_EQ(e->Panel3->width(), c.browse ? 88 : 0) << c.tag;
        EXPECT_EQ(e->b_kiesprogramma->text(), "Zoeken");
        EXPECT_EQ(e->b_kiesprogramma->toolTip(), "Browse");
        EXPECT_EQ(e->b_cancel->text(), "&Annuleren");
        e->BitBtn1->click();
        EXPECT_EQ(help.contexts, std::vector<int>{c.help}) << c.tag;
        e->resize(600, 90);
        QCoreApplication::processEvents();
        EXPECT_EQ(e->E_naam->x(), 5);
        EXPECT_EQ(e->E_naam->width(), e->Panel4->width() - 10);
        e->b_cancel->click();
        FreeClosed();
    }
    EXPECT_TRUE(handed.empty());
}

TEST_F(CommandLineEditor, OkHandsTheTextToTheTagsReceiverAndFreesTheEditor) {
    for (const char* tag : {"finstellingen", "Ftelklapperedit"}) {
        handed.clear();
        QPointer<TFcommandline> e = TFcommandline::start(tag, "oud", "x");
        e->E_naam->setText("prog \"%n\" %t");
        e->b_ok->click();
        EXPECT_EQ(handed, std::vector<std::string>{std::string(tag) + ":prog \"%n\" %t"});
        EXPECT_EQ(TFcommandline::Instance(), nullptr);
        FreeClosed();
        EXPECT_TRUE(e.isNull()) << "a closed editor is freed";
    }
}

TEST_F(CommandLineEditor, TemplatesGoToTheSettingsAndTheFile) {
    TFcommandline* e = TFcommandline::start("bellersstringtest", instellingen.bellersstring,
                                            "Bellersstring aanpassen");
    e->E_naam->setText(" %t - %n ");
    e->b_ok->click();
    e = TFcommandline::start("gegevensstringtest", instellingen.gegevensstring,
                             "Gegevensstring aanpassen");
    e->E_naam->setText("%v %n");
    e->b_ok->click();
    EXPECT_EQ(instellingen.bellersstring, " %t - %n ");
    EXPECT_EQ(instellingen.gegevensstring, "%v %n");
    const rtl::TIniFile ini(BelvoIniPath());
    EXPECT_EQ(ini.ReadString("capi", "bellersstring", "?"), " %t - %n ");
    EXPECT_EQ(ini.ReadString("capi", "gegevensstring", "?"), "%v %n");
    EXPECT_TRUE(handed.empty());
}

TEST_F(CommandLineEditor, NothingHandedOver) {
    // cancel
    TFcommandline* e = TFcommandline::start("finstellingen", "prog", "x");
    e->E_naam->setText("nieuw");
    e->b_cancel->click();
    // a tag outside the table
    e = TFcommandline::start("onbekend", "prog", "x");
    e->b_ok->click();
    // a caller that closed before OK
    auto* gone = new QObject;
    TFcommandline::SetReceiver("Ftelklapperedit", gone,
                               [this](const std::string& t) { handed.push_back(t); });
    e = TFcommandline::start("Ftelklapperedit", "prog", "x");
    delete gone;
    e->b_ok->click();
    FreeClosed();
    EXPECT_TRUE(handed.empty());
    EXPECT_EQ(instellingen, Instellingen{});
}

TEST_F(CommandLineEditor, OneEditorAtATimeWithTheLatestTag) {
    TFcommandline* first = TFcommandline::start("bellersstringtest", "a", "x");
    TFcommandline* second = TFcommandline::start("Ftelklapperedit", "b", "y");
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->Tag(), "Ftelklapperedit");
    EXPECT_TRUE(second->Panel3->isVisible());
    const std::string longTag(40, 't');
    EXPECT_EQ(TFcommandline::start(longTag, "", "")->Tag(), std::string(25, 't'));
}

TEST_F(CommandLineEditor, BrowseReplacesTheText) {
    TFcommandline* e = TFcommandline::start("finstellingen", "oud", "x");
    dialogs.AnswerFile("/opt/bin/melder");
    dialogs.AnswerFile(std::nullopt);
    dialogs.AnswerFile("/opt/Mijn Programma/melder");
    e->b_kiesprogramma->click();
    EXPECT_EQ(e->E_naam->text(), "/opt/bin/melder");
    e->b_kiesprogramma->click();
    EXPECT_EQ(e->E_naam->text(), "/opt/bin/melder") << "cancel keeps the text";
    e->b_kiesprogramma->click();
    EXPECT_EQ(e->E_naam->text(), "\"/opt/Mijn Programma/melder\"");
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[0].kind, ui::ScriptedDialogs::Kind::Open);
    EXPECT_EQ(dialogs.shown()[0].file.filter, "*.exe|*.EXE|*.*|*.*");
    EXPECT_EQ(dialogs.shown()[0].file.filterIndex, 2);
    EXPECT_EQ(dialogs.shown()[0].file.defaultExt, "exe");
}

}  // namespace
}  // namespace monitor
