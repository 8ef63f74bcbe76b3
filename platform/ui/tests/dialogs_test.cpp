#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/ui/qt_dialogs.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/recording_help.h"
#include "platform/ui/scripted_dialogs.h"
#include "platform/ui/tests/modal_answer.h"

namespace ui {
namespace {

using testing::Click;
using testing::WhenModal;

std::vector<std::string> Captions(QMessageBox& box) {
    std::vector<std::string> out;
    for (auto* b : box.buttons()) {
        out.push_back(b->text().toStdString());
    }
    std::sort(out.begin(), out.end());
    return out;
}

int ResultOf(QAbstractButton* b) {
    return b ? b->property("modalResult").toInt() : -1;
}

TEST(MessageBox, KindsAndDutchButtons) {
    struct Case {
        MsgDlgType type;
        unsigned buttons;
        const char* title;
        QMessageBox::Icon icon;
        std::vector<std::string> captions;  // sorted
        int enter;
        int escape;
    };
    const Case cases[] = {
        {MsgDlgType::Information, mbOK, "Informatie", QMessageBox::Information, {"OK"}, mrOk, mrOk},
        {MsgDlgType::Warning,
         mbYes | mbCancel,
         "Waarschuwing",
         QMessageBox::Warning,
         {"Annuleren", "Ja"},
         mrYes,
         mrCancel},
        {MsgDlgType::Error, mbOK, "Fout", QMessageBox::Critical, {"OK"}, mrOk, mrOk},
        {MsgDlgType::Confirmation,
         mbYes | mbNo,
         "Bevestigen",
         QMessageBox::Question,
         {"Ja", "Nee"},
         mrYes,
         mrNo},
        {MsgDlgType::Confirmation,
         mbYesNoCancel,
         "Bevestigen",
         QMessageBox::Question,
         {"Annuleren", "Ja", "Nee"},
         mrYes,
         mrCancel},
        {MsgDlgType::Warning,
         mbOKCancel | mbHelp,
         "Waarschuwing",
         QMessageBox::Warning,
         {"Annuleren", "Help", "OK"},
         mrOk,
         mrCancel},
        {MsgDlgType::Information, 0, "Informatie", QMessageBox::Information, {"OK"}, mrOk, mrOk},
    };
    for (const auto& c : cases) {
        auto box = BuildMessageBox("Tekst", c.type, c.buttons);
        EXPECT_EQ(box->windowTitle().toStdString(), c.title);
        EXPECT_EQ(box->text(), "Tekst");
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(Captions(*box), c.captions);
        EXPECT_EQ(ResultOf(box->defaultButton()), c.enter) << c.title;
        EXPECT_EQ(ResultOf(box->escapeButton()), c.escape) << c.title;
    }
}

TEST(QtDialogs, MessageDlgAnswersByTheButtonPressed) {
    QtDialogs d;
    WhenModal([](QWidget* w) { Click(w, "Nee"); });
    EXPECT_EQ(d.MessageDlg("Wissen?", MsgDlgType::Confirmation, mbYesNoCancel), mrNo);

    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(d.MessageDlg("Wissen?", MsgDlgType::Warning, mbYes | mbCancel), mrCancel);

    // the help button opens the box's help and leaves the question open
    RecordingHelp help;
    WhenModal([](QWidget* w) {
        Click(w, "Help");
        WhenModal([](QWidget* again) { Click(again, "Ja"); });
    });
    EXPECT_EQ(d.MessageDlg("Opslaan?", MsgDlgType::Confirmation, mbYes | mbNo | mbHelp, 640),
              mrYes);
    EXPECT_EQ(help.contexts, std::vector<int>{640});
}

TEST(QtDialogs, NotifyDoesNotHoldUpTheCaller) {
    QtDialogs d;
    d.Notify("Fout bij aanroepen: x", MsgDlgType::Error);
    QMessageBox* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
            shown = box;
        }
    }
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), "Fout bij aanroepen: x");
    EXPECT_FALSE(shown->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QPointer<QMessageBox> guard(shown);
    Click(shown, "OK");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull()) << "a closed notice stays in memory";
}

TEST(QtDialogs, InputQuery) {
    QtDialogs d;
    std::string value = "oud";
    WhenModal([](QWidget* w) {
        auto* input = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->windowTitle(), "Titel");
        EXPECT_EQ(input->labelText(), "Vraag");
        EXPECT_EQ(input->textValue(), "oud");
        EXPECT_EQ(input->cancelButtonText(), "Annuleren");
        input->setTextValue("nieuw \xC3\xA9");
        input->accept();
    });
    EXPECT_TRUE(d.InputQuery("Titel", "Vraag", value));
    EXPECT_EQ(value, "nieuw \xC3\xA9");

    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(d.InputBox("Titel", "Vraag", "standaard"), "standaard");
}

TEST(FileDialogs, FilterStrings) {
    struct Case {
        const char* filter;
        QStringList expected;
    };
    const Case cases[] = {
        {"Text|*.txt|All|*.*", {"Text (*.txt)", "All (*.*)"}},
        {"*.exe|*.EXE|*.*|*.*", {"*.exe (*.EXE)", "*.* (*.*)"}},
        {"Tabellen|*.dbf;*.DBF", {"Tabellen (*.dbf *.DBF)"}},
        {"", {}},
        {"Alleen een naam", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToNameFilters(c.filter), c.expected) << c.filter;
    }
}

TEST(FileDialogs, OptionsReachTheDialog) {
    FileDialogOptions o;
    o.title = "Kies";
    o.filter = "Text|*.txt|All|*.*";
    o.filterIndex = 2;
    o.defaultExt = "txt";
    o.initialDir = "/tmp";
    auto open = BuildFileDialog(o, false);
    EXPECT_EQ(open->windowTitle(), "Kies");
    EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open->selectedNameFilter(), "All (*.*)");
    EXPECT_EQ(open->defaultSuffix(), "txt");
    EXPECT_EQ(open->directory().absolutePath(), "/tmp");

    o.filterIndex = 7;  // out of range: the first
    auto save = BuildFileDialog(o, true);
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save->selectedNameFilter(), "Text (*.txt)");
    EXPECT_TRUE(save->testOption(QFileDialog::DontConfirmOverwrite));
    o.overwritePrompt = true;
    EXPECT_FALSE(BuildFileDialog(o, true)->testOption(QFileDialog::DontConfirmOverwrite));
}

TEST(FileDialogs, ChosenFileComesBack) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("belverin-ui-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "lijst.txt") << "x";
    QtDialogs d;
    FileDialogOptions o;
    o.filter = "Text|*.txt|All|*.*";
    o.initialDir = dir.string();
    std::string name = "onaangeroerd";
    WhenModal([](QWidget* w) {
        auto* fd = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(fd, nullptr);
        fd->selectFile("lijst.txt");
        static_cast<QDialog*>(fd)->accept();
    });
    EXPECT_TRUE(d.OpenFileName(o, name));
    EXPECT_EQ(name, (dir / "lijst.txt").string());

    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(d.SaveFileName(o, name));
    EXPECT_EQ(name, (dir / "lijst.txt").string());
    fs::remove_all(dir);
}

TEST(QtDialogs, ColourAndFont) {
    QtDialogs d;
    TColor color = 0x0000FF;
    WhenModal([](QWidget* w) {
        auto* cd = qobject_cast<QColorDialog*>(w);
        ASSERT_NE(cd, nullptr);
        EXPECT_EQ(cd->currentColor(), QColor(255, 0, 0));
        cd->setCurrentColor(QColor(0x10, 0x20, 0x30));
        cd->accept();
    });
    EXPECT_TRUE(d.ChooseColor(color));
    EXPECT_EQ(color, 0x302010);

    FontSpec font{"Arial", 11, 0x400040, false, false, false, false};
    WhenModal([](QWidget* w) {
        auto* fd = qobject_cast<QFontDialog*>(w);
        ASSERT_NE(fd, nullptr);
        QFont f = fd->currentFont();
        f.setPointSize(14);  // styles depend on the fonts at hand; sizes do not
        fd->setCurrentFont(f);
        static_cast<QDialog*>(fd)->accept();
    });
    EXPECT_TRUE(d.ChooseFont(font));
    EXPECT_EQ(font.size, 14);
    EXPECT_FALSE(font.name.empty());
    EXPECT_EQ(font.color, 0x400040);

    WhenModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
    EXPECT_FALSE(d.ChooseColor(color));
    EXPECT_EQ(color, 0x302010);
}

TEST(ScriptedDialogs, AnswersFromTheScriptAndRecords) {
    Dialogs* before = &dialogs();
    {
        ScriptedDialogs s;
        EXPECT_EQ(&dialogs(), &s);
        s.AnswerMessage(mrYes);
        s.AnswerInput("Jan");
        s.AnswerFile(std::nullopt);
        s.AnswerColor(0x00FF00);

        EXPECT_EQ(dialogs().MessageDlg("Doorgaan?", MsgDlgType::Confirmation, mbYes | mbNo, 12),
                  mrYes);
        EXPECT_EQ(dialogs().InputBox("Naam", "Voornaam:", "?"), "Jan");
        std::string file = "keep";
        EXPECT_FALSE(
            dialogs().OpenFileName({"Open", "Text|*.txt|All|*.*", 1, "", "", "", false}, file));
        EXPECT_EQ(file, "keep");
        TColor c = 0;
        EXPECT_TRUE(dialogs().ChooseColor(c));
        EXPECT_EQ(c, 0x00FF00);
        dialogs().Notify("Klaar", MsgDlgType::Information);
        EXPECT_EQ(s.unanswered(), 0);
        // unscripted questions are cancelled and counted
        EXPECT_EQ(dialogs().MessageDlg("Nog een?", MsgDlgType::Warning, mbYes | mbNo), mrCancel);
        EXPECT_EQ(dialogs().InputBox("Naam", "Voornaam:", "?"), "?");
        EXPECT_EQ(s.unanswered(), 2);

        ASSERT_EQ(s.shown().size(), 7u);
        EXPECT_EQ(s.shown()[0].kind, ScriptedDialogs::Kind::Message);
        EXPECT_EQ(s.shown()[0].text, "Doorgaan?");
        EXPECT_EQ(s.shown()[0].buttons, mbYes | mbNo);
        EXPECT_EQ(s.shown()[0].helpContext, 12);
        EXPECT_EQ(s.shown()[1].caption, "Naam");
        EXPECT_EQ(s.shown()[2].file.filter, "Text|*.txt|All|*.*");
        EXPECT_EQ(s.shown()[4].kind, ScriptedDialogs::Kind::Notice);
    }
    EXPECT_EQ(&dialogs(), before);
}

}  // namespace
}  // namespace ui
