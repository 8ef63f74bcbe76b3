#include "setup/fsetup.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "platform/ui/scripted_dialogs.h"
#include "setup/fdirectory.h"
#include "setup/tests/setup_fixture.h"

namespace setup::testing {
namespace {

namespace fs = std::filesystem;

class FormsTest : public SetupTest {
  protected:
    void SetUp() override {
        SetupTest::SetUp();
#ifndef REAL_ENGINE_PATH
        GTEST_SKIP() << "the build has no engine library";
#endif
        static int argc = 1;
        static char name[] = "setup_forms_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            app = new QApplication(argc, argv);
        }
    }

    std::unique_ptr<TForm1> MakeForm() {
        return std::make_unique<TForm1>(setupDir, claim, Home(),
                                        [](const std::string&) { return false; });
    }

    // Start, the folder, OK, as a user clicks them.
    void Install(TForm1& form, const std::string& folder) {
        QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
        ASSERT_TRUE(form.Directory().isVisible());
        form.Directory().SetDirectory(folder);
        ASSERT_TRUE(form.Directory().BitBtn1->isEnabled())
            << form.Directory().Label2->text().toStdString();
        QTest::mouseClick(form.Directory().BitBtn1, Qt::LeftButton);
    }

    // Saves a picture of the form when BELVERIN_SETUP_SHOTS names a folder.
    static void Shot(QWidget& widget, const char* name) {
        if (const char* folder = std::getenv("BELVERIN_SETUP_SHOTS")) {
            widget.show();
            QApplication::processEvents();
            widget.grab().save(QString("%1/%2.png").arg(folder, name));
        }
    }

    QApplication* app = nullptr;
};

TEST_F(FormsTest, MainFormShowsTheListAndRefusesAnIncompleteOne) {
    WriteDistribution({{"belverin", 0, "p"}, {"bel.wav", 1, "RIFF"}}, "1.0");
    Write(setupDir + "setup.ini", Read(setupDir + "setup.ini") + "f3=weg.txt\n");
    auto form = MakeForm();
    EXPECT_EQ(form->windowTitle().toStdString(), "Belverin Setup   1.0");
    ASSERT_EQ(form->cb1->count(), 3);
    EXPECT_EQ(form->cb1->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(form->cb1->item(2)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(form->BitBtn1->isEnabled());
    EXPECT_EQ(form->Label1->text().toStdString(), "Druk op \"Sluiten\" om de Setup af te breken");
    EXPECT_EQ(form->Label2->text().toStdString(), "FOUT: Niet alle bestanden zijn aanwezig");
}

TEST_F(FormsTest, FreshInstallThroughBothForms) {
    WriteDistribution(StandardFiles("programma"), "1.0");
    ui::ScriptedDialogs dialogs;
    for (int i = 0; i < 3; ++i) {
        dialogs.AnswerMessage(ui::mrNo);
    }
    auto form = MakeForm();
    form->show();
    Install(*form, target);
    EXPECT_FALSE(form->Directory().isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->BitBtn1->isEnabled());
    EXPECT_EQ(form->Label2->text().toStdString(), "Alles is goed verlopen");
    EXPECT_EQ(Read(target + "belverintel.DBF"), Read(setupDir + "belverintel.DBF"));
    EXPECT_EQ(Read(target + "geluid/bel.wav"), "RIFF bel");
    EXPECT_TRUE(fs::exists(root + "home/.local/share/applications/belverin/Belverin-1.0.desktop"));
    ASSERT_GE(dialogs.shown().size(), 4u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "Sluit eerst een eventueel aktieve Belverin\n\n(Bij een nog draaiende versie van "
              "dit\n programma mislukt de installatie)");
    EXPECT_EQ(dialogs.shown()[3].text, "Alles is goed verlopen\nBelverin meteen opstarten?");
    EXPECT_NE(form->Memo1->toPlainText().toStdString().find("belverin Gekopieerd"),
              std::string::npos);
}

TEST_F(FormsTest, DirectoryFormJudgesEachFolderAndMakesNewOnes) {
    WriteDistribution(StandardFiles("p"), "1.0");
    ui::ScriptedDialogs dialogs;
    auto form = MakeForm();
    TFdirectory& dir = form->Directory();
    fs::create_directories(root + "Mijn Map");
    dir.SetDirectory(root + "Mijn Map");
    EXPECT_EQ(dir.lsetupdir->text().toStdString(), root + "Mijn Map");  // not upper-cased
    EXPECT_EQ(dir.Label2->text().toStdString(), "Eerste installatie");
    dir.SetDirectory(setupDir);
    EXPECT_FALSE(dir.BitBtn1->isEnabled());
    EXPECT_EQ(dir.Label2->text().toStdString(), "Geen installatie mogelijk in deze Directory");
    EXPECT_GT(dir.FileListBox1->count(), 0);

    dir.SetDirectory(root);
    dialogs.AnswerInput("nieuw");
    dir.bmdClick();
    EXPECT_TRUE(fs::is_directory(root + "nieuw"));
    EXPECT_EQ(dialogs.shown().back().text, "Dir maken in " + root);
    EXPECT_FALSE(dir.DirectoryListBox1->findItems("nieuw", Qt::MatchExactly).isEmpty());
    dialogs.AnswerInput("nieuw");  // exists already
    dir.bmdClick();
    EXPECT_EQ(dialogs.shown().back().text, "Kan Directory niet maken");

    // Double-click enters a folder; ".." goes back up.
    auto items = dir.DirectoryListBox1->findItems("nieuw", Qt::MatchExactly);
    ASSERT_FALSE(items.isEmpty());
    emit dir.DirectoryListBox1->itemDoubleClicked(items.front());
    EXPECT_EQ(dir.Directory(), root + "nieuw");
    emit dir.DirectoryListBox1->itemDoubleClicked(dir.DirectoryListBox1->item(0));
    EXPECT_EQ(dir.Directory() + "/", root);
}

TEST_F(FormsTest, UpdateWhileTheMonitorRunsKeepsTheDirectoryForm) {
    WriteDistribution(StandardFiles("p"), "1.0");
    {
        ui::ScriptedDialogs dialogs;
        for (int i = 0; i < 3; ++i) {
            dialogs.AnswerMessage(ui::mrNo);
        }
        auto first = MakeForm();
        Install(*first, target);
    }
    ui::ScriptedDialogs dialogs;
    claim.heldElsewhere = true;
    auto form = MakeForm();
    form->show();
    Install(*form, target);
    EXPECT_TRUE(form->Directory().isVisible());
    EXPECT_EQ(
        dialogs.shown().back().text,
        "Belverin of een andere Setup is nog aktief.\nSluit die eerst en kies dan opnieuw OK.");
    EXPECT_FALSE(fs::exists(target + "backup"));
    Shot(form->Directory(), "setup-directory");
}

// A good update, then one whose engine copy fails; pictures of the main form after each.
TEST_F(FormsTest, UpdateEndingsOnTheMainForm) {
    WriteDistribution(StandardFiles("programma 1"), "1.0");
    {
        ui::ScriptedDialogs dialogs;
        for (int i = 0; i < 3; ++i) {
            dialogs.AnswerMessage(ui::mrNo);
        }
        auto first = MakeForm();
        Install(*first, target);
    }
    WriteDistribution(StandardFiles("programma 2"), "2.0");
    {
        ui::ScriptedDialogs dialogs;
        for (int i = 0; i < 3; ++i) {
            dialogs.AnswerMessage(ui::mrNo);
        }
        auto form = MakeForm();
        form->show();
        Install(*form, target);
        EXPECT_EQ(form->Label2->text().toStdString(), "Alles is goed verlopen");
        EXPECT_EQ(Read(target + "belverin"), "programma 2");
        EXPECT_TRUE(form->isEnabled());
        Shot(*form, "setup-update-good");
    }
    {
        ui::ScriptedDialogs dialogs;
        dialogs.AnswerMessage(ui::mrYes);
        auto form = MakeForm();
        form->show();
        // The engine goes bad after the list was checked: a folder stands in its place.
        fs::remove(setupDir + "libxbase32.so");
        fs::create_directories(setupDir + "libxbase32.so");
        Install(*form, target);
        EXPECT_EQ(form->Label2->text().toStdString(), "Er zijn fouten opgetreden");
        EXPECT_NE(
            form->Memo1->toPlainText().toStdString().find("De oude installatie is ongewijzigd"),
            std::string::npos);
        EXPECT_EQ(Read(target + "belverin"), "programma 2");
        EXPECT_TRUE(fs::exists(setupDir + "Setup_fouten.txt"));
        Shot(*form, "setup-update-failed");
    }
}

}  // namespace
// The bar of an empty table's carry-over (maximum 0) is drawn empty, not full and not busy.
TEST_F(FormsTest, ProgressBarDrawsOnlyTheStepsTaken) {
    WriteDistribution(StandardFiles("programma"), "1.0");
    auto form = MakeForm();
    form->show();
    QProgressBar& bar = *form->ProgressBar1;
    const auto picture = [&bar] { return bar.grab().toImage(); };
    bar.setRange(0, 1);
    bar.setValue(0);
    const QImage empty = picture();
    bar.setValue(1);
    const QImage full = picture();
    ASSERT_NE(empty, full);

    struct Case {
        int maximum;
        int steps;
        bool looksFull;
    };
    for (const Case& c : {Case{0, 0, false}, Case{3, 0, false}, Case{3, 3, true}}) {
        SetupPort& port = *form;
        port.ProgressMax(c.maximum);
        for (int i = 0; i < c.steps; ++i) {
            port.ProgressStep();
        }
        const QImage shown = picture();
        EXPECT_EQ(shown == full, c.looksFull) << c.maximum << " " << c.steps;
        EXPECT_EQ(shown == empty, !c.looksFull) << c.maximum << " " << c.steps;
    }
}

}  // namespace setup::testing
