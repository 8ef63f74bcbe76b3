#include "monitor/finstellingen.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "monitor/fcommandline.h"
#include "monitor/tests/fake_settings_ports.h"
#include "platform/os/tests/probe_fixture.h"
#include "platform/rtl/ini_file.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/recording_help.h"
#include "platform/ui/scripted_dialogs.h"

namespace monitor {
namespace {

namespace fs = std::filesystem;

std::string Lees(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Opruimen() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Every non-blank line of the file outside one section.
std::string Buiten(const std::string& tekst, const std::string& sectie) {
    std::string uit;
    bool binnen = false;
    std::size_t begin = 0;
    while (begin < tekst.size()) {
        std::size_t eind = tekst.find('\n', begin);
        if (eind == std::string::npos) {
            eind = tekst.size();
        }
        const std::string regel = tekst.substr(begin, eind - begin);
        if (!regel.empty() && regel[0] == '[') {
            binnen = regel.rfind("[" + sectie + "]", 0) == 0;
        }
        // The writer may set a blank line before a section it adds.
        if (!binnen && regel != "\r" && !regel.empty()) {
            uit += regel + "\n";
        }
        begin = eind + 1;
    }
    return uit;
}

class SettingsWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        rtl::SetProgramDir(folder.Dir());
        ini = folder.Dir() + "belvo.ini";
        std::ofstream(ini) << "[capi]\r\nmonitorpopuptijd=15\r\n[msn1]\r\nnummer=0201234567\r\n"
                              "kleur=255\r\ncmd=prog %n\r\n[geluid]\r\ntijden=0110\r\n"
                              "intro1=bel.wav\r\n";
        instellingen = Instellingen{};
        auto p = std::make_unique<testing::FakeSettingsPorts>();
        ports = p.get();
        venster = Tfinstellingen::Openen(std::move(p));
    }
    void TearDown() override {
        if (Tfinstellingen::Instance()) {
            dialogs.AnswerMessage(ui::mrNo);
            Tfinstellingen::Instance()->close();
        }
        if (auto* e = TFcommandline::Instance()) {
            e->close();
        }
        Opruimen();
        rtl::SetProgramDir("");
        instellingen = Instellingen{};
    }

    os::testing::ProbeFolder folder;
    std::string ini;
    ui::ScriptedDialogs dialogs;
    testing::FakeSettingsPorts* ports = nullptr;
    Tfinstellingen* venster = nullptr;
};

TEST_F(SettingsWindow, ControlsShowTheModelOnEveryPage) {
    const SettingsControls& c = venster->Model().c;
    EXPECT_EQ(venster->tabs->count(), 9);
    EXPECT_EQ(venster->tabs->tabText(2), "Msn's");
    EXPECT_EQ(venster->ePopuptijd->text().toStdString(), c.ePopuptijd);
    EXPECT_EQ(venster->ePopuptijd->text(), "15");
    EXPECT_EQ(venster->E_startvertraging->text(), "20");
    EXPECT_EQ(venster->lb1->item(1)->text(), "0201234567");
    EXPECT_EQ(venster->Lmsncmd->item(1)->text(), "prog %n");
    EXPECT_EQ(venster->Lmsncmd->item(0)->text(), "-");
    EXPECT_EQ(venster->lb0->item(9)->text(), "   Msn 10");
    EXPECT_EQ(venster->lb0->item(9)->checkState(), Qt::Checked);
    EXPECT_EQ(venster->cb1->item(0)->text(), "  00 uur");
    EXPECT_EQ(venster->cb1->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(venster->cb1->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(venster->cb1->item(5)->checkState(), Qt::Unchecked);  // past the mask's end
    EXPECT_EQ(venster->introlist->item(1)->text(), "bel.wav");
    EXPECT_EQ(venster->panelen[1]->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(venster->llantelefoondir->text(), "?");
    EXPECT_EQ(venster->bmsagentsupportaanuit->text(), "MS Agent support aanzetten");
    EXPECT_FALSE(venster->emsagentstring->isEnabled());
    EXPECT_EQ(venster->Buoutlookkoppelingaanuit->text(), "Outlook koppeling aanzetten");
    EXPECT_FALSE(venster->cboutlookopenen->isEnabled());
    EXPECT_FALSE(venster->BT->isEnabled());
    EXPECT_FALSE(venster->Bannuleren->isEnabled());

    venster->Buoutlookkoppelingaanuit->click();
    EXPECT_TRUE(ports->outlook);
    EXPECT_EQ(venster->Buoutlookkoppelingaanuit->text(), "Outlook koppeling uitzetten");
    EXPECT_TRUE(venster->cboutlookopenen->isEnabled());
    venster->dCapiinfo->click();
    EXPECT_EQ(venster->lcapiversie->text(), "CAPI: 2.0  Version: 1.7");
    EXPECT_EQ(venster->lcapiinfo->text(), "OK ($0000)");
}

TEST_F(SettingsWindow, ApplyWritesTheFileAndDisablesTheButtons) {
    venster->cbdde->click();
    EXPECT_TRUE(venster->BT->isEnabled());
    venster->cb1->item(7)->setCheckState(Qt::Checked);
    venster->BT->click();
    EXPECT_FALSE(venster->BT->isEnabled());
    rtl::TIniFile file(ini);
    EXPECT_TRUE(file.ReadBool("algemeen", "DDE", false));
    EXPECT_EQ(file.ReadString("geluid", "tijden", ""), "011000010000000000000000");
    EXPECT_EQ(file.ReadInteger("capi", "monitorpopuptijd", 0), 15);
}

TEST_F(SettingsWindow, RefusedApplyShowsTheFieldAndWritesNothing) {
    const std::string voor = Lees(ini);
    venster->E_startvertraging->setText("abc");
    venster->Model().c.E_startvertraging = "abc";
    venster->Model().Gewijzigd();
    venster->BTClick();
    EXPECT_EQ(venster->tabs->currentIndex(), 8);
    EXPECT_TRUE(venster->BT->isEnabled());
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().text,
              "Fout: 'abc' is geen geldig geheel getal (Startvertraging automatisch opstarten).");
    EXPECT_EQ(Lees(ini), voor);
}

// What Apply leaves in the running program is what a restart reads back from belvo.ini, and the
// window shows it so.
TEST_F(SettingsWindow, AppliedSettingsAreWhatARestartReads) {
    std::string naam;
    for (int i = 0; i < 30; ++i) {
        naam += "Zo\xC3\xAB";  // 90 characters, 120 bytes
    }
    const std::string eerste15 =
        "Zo\xC3\xAB"
        "Zo\xC3\xAB"
        "Zo\xC3\xAB"
        "Zo\xC3\xAB"
        "Zo\xC3\xAB";
    dialogs.AnswerInput(naam);
    emit venster->lb2->itemClicked(venster->lb2->item(0));
    dialogs.AnswerInput("01234567890123456789");
    emit venster->lb1->itemClicked(venster->lb1->item(3));
    venster->cb1->item(23)->setCheckState(Qt::Checked);
    ASSERT_TRUE(venster->BT->isEnabled());
    venster->BT->click();
    ASSERT_FALSE(venster->BT->isEnabled());
    EXPECT_EQ(venster->lb2->item(0)->text().toStdString(), eerste15);
    EXPECT_EQ(venster->lb1->item(3)->text().toStdString(), "012345678901234");

    const Instellingen run = instellingen;
    EXPECT_EQ(run.msninstellingen[0].naam, eerste15);
    Instellingen herstart = LaadInstellingen(rtl::TIniFile(ini), programmadir());
    // The live switches follow the ports, not the file.
    herstart.koppeling = run.koppeling;
    herstart.suport = run.suport;
    EXPECT_EQ(run, herstart);

    // Opened anew, the window shows the same.
    venster->BannulerenClick();
    EXPECT_EQ(instellingen, run);
    EXPECT_EQ(venster->lb2->item(0)->text().toStdString(), eerste15);
    EXPECT_EQ(venster->lb1->item(3)->text().toStdString(), "012345678901234");
}

TEST_F(SettingsWindow, CloseWithoutChangeWritesOnlyItsLayout) {
    const std::string voor = Lees(ini);
    venster->close();
    Opruimen();
    EXPECT_EQ(Tfinstellingen::Instance(), nullptr);
    const std::string na = Lees(ini);
    EXPECT_EQ(Buiten(na, "finstellingen"), Buiten(voor, "finstellingen"));
    EXPECT_TRUE(rtl::TIniFile(ini).SectionExists("finstellingen"));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(SettingsWindow, CloseQuestionSavesOrDrops) {
    struct Case {
        int antwoord;
        bool dde;
    };
    for (const Case c : {Case{ui::mrNo, false}, Case{ui::mrYes, true}}) {
        SCOPED_TRACE(c.antwoord);
        if (!Tfinstellingen::Instance()) {
            venster = Tfinstellingen::Openen(std::make_unique<testing::FakeSettingsPorts>());
        }
        venster->cbdde->click();
        dialogs.AnswerMessage(c.antwoord);
        venster->close();
        Opruimen();
        EXPECT_EQ(Tfinstellingen::Instance(), nullptr);
        EXPECT_EQ(dialogs.shown().back().text, "Veranderingen toepassen/opslaan ?");
        EXPECT_EQ(rtl::TIniFile(ini).ReadBool("algemeen", "DDE", false), c.dde);
    }
}

TEST_F(SettingsWindow, YesWithABadFieldKeepsTheWindowOpen) {
    venster->Model().c.ePopuptijd = "70000";
    venster->Model().Gewijzigd();
    dialogs.AnswerMessage(ui::mrYes);
    venster->close();
    Opruimen();
    ASSERT_EQ(Tfinstellingen::Instance(), venster);
    EXPECT_EQ(venster->tabs->currentIndex(), 0);
    EXPECT_EQ(venster->ePopuptijd->text(), "70000");
}

TEST_F(SettingsWindow, OpeningAgainBringsTheSameWindow) {
    EXPECT_EQ(Tfinstellingen::Openen(std::make_unique<testing::FakeSettingsPorts>()), venster);
}

TEST_F(SettingsWindow, EditorWritesIntoTheRowItWasOpenedFor) {
    venster->Lmsncmd->setCurrentRow(1);
    venster->LmsncmdDblClick();
    TFcommandline* editor = TFcommandline::Instance();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->E_naam->text(), "prog %n");
    venster->Lmsncmd->setCurrentRow(6);  // the user clicks on meanwhile
    editor->E_naam->setText("");
    editor->b_okClick();
    Opruimen();
    EXPECT_EQ(venster->Lmsncmd->item(1)->text(), "-");
    EXPECT_EQ(venster->Lmsncmd->item(6)->text(), "-");
    venster->Lmsncmd->setCurrentRow(4);
    venster->LmsncmdDblClick();
    ASSERT_NE(TFcommandline::Instance(), nullptr);
    TFcommandline::Instance()->E_naam->setText("wekker %n");
    venster->Lmsncmd->setCurrentRow(0);
    TFcommandline::Instance()->b_okClick();
    Opruimen();
    EXPECT_EQ(venster->Lmsncmd->item(4)->text(), "wekker %n");
    EXPECT_EQ(venster->Lmsncmd->item(0)->text(), "-");
    EXPECT_TRUE(venster->BT->isEnabled());
}

TEST_F(SettingsWindow, RecordingRunsUntilStopped) {
    venster->introlist->setCurrentRow(2);
    venster->BintroOpnemenClick();
    QDialog* box = venster->OpnameVenster();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->findChild<QLabel*>()->text().indexOf("Opname loopt: intro3.wav"), -1);
    ASSERT_NE(ports->recorder, nullptr);
    EXPECT_EQ(ports->recorder->started,
              std::vector<std::string>{folder.Dir() + "geluid/intro3.wav"});
    EXPECT_EQ(venster->introlist->item(2)->text(), "");
    box->findChild<QPushButton*>("Stoppen")->click();
    for (int i = 0; i < 100 && venster->OpnameVenster(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(venster->OpnameVenster(), nullptr);
    EXPECT_EQ(venster->introlist->item(2)->text(), "intro3.wav");
    EXPECT_TRUE(venster->BT->isEnabled());
}

TEST_F(SettingsWindow, F1ShowsTheHelpOfThePageInFront) {
    const std::vector<int> pagina = {370, 510, 410, 430, 550, 420, 20, 560, 490};
    ASSERT_EQ(venster->tabs->count(), static_cast<int>(pagina.size()));
    ui::RecordingHelp help;
    // F1 goes to the focused control and reaches the window through its parents.
    const auto f1 = [&](QWidget* focus) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_F1);
    };
    std::vector<int> opPagina;
    std::vector<int> opTab;
    for (int i = 0; i < venster->tabs->count(); ++i) {
        venster->tabs->setCurrentIndex(i);
        QWidget* veld = nullptr;
        for (QWidget* w : venster->tabs->widget(i)->findChildren<QWidget*>()) {
            if (!veld && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                veld = w;
            }
        }
        ASSERT_NE(veld, nullptr) << "page " << i;
        help.contexts.clear();
        f1(veld);
        opPagina.insert(opPagina.end(), help.contexts.begin(), help.contexts.end());
        help.contexts.clear();
        f1(venster->tabs->tabBar());
        opTab.insert(opTab.end(), help.contexts.begin(), help.contexts.end());
    }
    EXPECT_EQ(opPagina, pagina);
    EXPECT_EQ(opTab, pagina);
    help.contexts.clear();
    f1(venster->Bclose);  // the buttons below the pages belong to the window
    EXPECT_EQ(help.contexts, std::vector<int>{640});
}

}  // namespace
}  // namespace monitor
