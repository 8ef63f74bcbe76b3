// The entry edit window offscreen, on the phone book over the engine library in a scratch
// program folder, with a recording sound player and a stand-in recorder.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/book/ftelklapperedit.h"
#include "monitor/book/per_msn_form.h"
#include "monitor/book/tests/commit_text.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/fcommandline.h"
#include "platform/db/data_source.h"
#include "platform/db/field.h"
#include "platform/os/recording_sound_output.h"
#include "platform/os/sound_player.h"
#include "platform/os/tests/wave_fixture.h"
#include "platform/rtl/exception.h"
#include "platform/rtl/program_folder.h"
#include "platform/ui/db_edit.h"
#include "platform/ui/db_memo.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/db_text.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"
#include "xbase/table.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::vector<Entry> kBook = {
    {"0201111111", "Jansen", "Utrecht"},
    {"0302222222", "de Vries", "Gouda"},
    {"0403333333", "Bakker", "Delft"},
};
const char* const kWeg = "Het record is niet meer gevonden; er is niets opgeslagen.";
const std::string kLach = "\xF0\x9F\x98\x80";  // U+1F600, which Windows-1252 lacks

void FreeClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The stand-in recorder outlives each recording, so the test can read what it was given.
class SharedRecorder : public os::SoundRecorder {
  public:
    explicit SharedRecorder(std::shared_ptr<os::FakeSoundRecorder> fake) : fake_(std::move(fake)) {}
    bool Start(const std::string& path, int& error) override { return fake_->Start(path, error); }
    void RequestStop() override { fake_->RequestStop(); }
    bool Ended() override { return fake_->Ended(); }
    void Kill() override { fake_->Kill(); }

  private:
    std::shared_ptr<os::FakeSoundRecorder> fake_;
};

class TestPorts : public ProgramEntryEditPorts {
  public:
    explicit TestPorts(std::shared_ptr<os::FakeSoundRecorder> fake) : fake_(std::move(fake)) {}
    std::unique_ptr<os::SoundRecorder> Recorder() override {
        return std::make_unique<SharedRecorder>(fake_);
    }

  private:
    std::shared_ptr<os::FakeSoundRecorder> fake_;
};

class EntryEditTest : public KlapperTest {
  protected:
    void SetUp() override {
        KlapperTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        rtl::SetProgramDir(folder);
        output = std::make_shared<os::RecordingSoundOutput>();
        os::SetSoundPlayer(std::make_unique<os::SoundPlayer>(output, [](const std::string&) {}));
        fs::create_directories(folder + "elders");
    }
    void TearDown() override {
        if (window) {
            window->close();
        }
        if (auto* editor = monitor::TFcommandline::Instance()) {
            editor->close();
        }
        FreeClosed();
        os::SetSoundPlayer(nullptr);
        rtl::SetProgramDir("");
        KlapperTest::TearDown();
    }

    TFtelklapperedit& Open() {
        window = TFtelklapperedit::Open(*core, std::make_unique<TestPorts>(recorder));
        return *window;
    }
    bool GoTo(const std::string& nummer) { return core->FindNumber(nummer, core->NumberOrder()); }
    void SetField(const std::string& nummer, const char* field, const std::string& value) {
        xbase::TTable& t = core->t2();
        ASSERT_TRUE(GoTo(nummer)) << nummer;
        t.Edit();
        t.FieldByName(field).SetAsString(value);
        t.Post();
    }
    // The field as stored: a pending edit is posted first.
    std::string Stored(const std::string& nummer, const char* field) {
        xbase::TTable& t = core->t2();
        t.CheckBrowseMode();
        if (!GoTo(nummer)) {
            ADD_FAILURE() << nummer << " not found";
            return {};
        }
        return t.FieldByName(field).AsString();
    }
    // The field of a phone book of one entry, as stored.
    std::string Only(const char* field) {
        xbase::TTable& t = core->t2();
        t.CheckBrowseMode();
        t.First();
        return t.FieldByName(field).AsString();
    }
    std::string Geluid() const { return folder + "geluid/"; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& s : dialogs.shown()) {
            texts.push_back(s.text);
        }
        return texts;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static void WriteWave(const std::string& path) {
        const auto image = os::testing::WaveImage(8000, 1, 80);
        Write(path, std::string(image.begin(), image.end()));
    }
    // The colour popup's items, without the separator.
    std::vector<QAction*> ColourItems() const {
        std::vector<QAction*> items;
        for (QAction* a : window->PopupKleur->actions()) {
            if (!a->isSeparator()) {
                items.push_back(a);
            }
        }
        return items;
    }
    QAction* SoundItem(const char* text) const {
        for (QAction* a : window->PopupGeluid->actions()) {
            if (a->text() == text) {
                return a;
            }
        }
        ADD_FAILURE() << "no item " << text;
        return nullptr;
    }

    ui::ScriptedDialogs dialogs;
    std::shared_ptr<os::FakeSoundRecorder> recorder = std::make_shared<os::FakeSoundRecorder>();
    std::shared_ptr<os::RecordingSoundOutput> output;
    QPointer<TFtelklapperedit> window;
};

TEST_F(EntryEditTest, TheWindowShowsTheEntryWithItsFieldsAndHints) {
    AddEntries(kBook);
    Start();
    SetField("0302222222", "KLEUR", "rood");
    SetField("0302222222", "TIJD", "2111111111");
    TFtelklapperedit& w = Open();
    EXPECT_EQ(w.Caption(), "Invoerscherm Klapper");
    EXPECT_TRUE(w.StayOnTop());
    EXPECT_EQ(w.HelpContext(), 330);
    const char* labels[] = {"Nummer:",   "Voornaam:", "Naam:",         "Aanhangsel:", "Straat:",
                            "Postcode:", "Plaats:",   "Omschrijving:", "Extra:"};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(w.EditLabels[i]->text().toStdString(), labels[i]);
    }
    EXPECT_EQ(w.Edits[0]->text().toStdString(), "0302222222");
    EXPECT_EQ(w.Edits[2]->text().toStdString(), "de Vries");
    EXPECT_EQ(w.Edits[6]->text().toStdString(), "Gouda");
    EXPECT_EQ(w.DBkleur->text().toStdString(), "rood");
    EXPECT_EQ(w.DBText3->text().toStdString(), "2111111111");
    const char* hints[] = {"Eerste (Ctrl+Home)",
                           "Vorige (Cursor-Omhoog)",
                           "Volgende (Cursor-Omlaag)",
                           "Laatste (Ctrl+End)",
                           "Invoegen (Ctrl+Insert)",
                           "Wissen (Ctrl+Del)",
                           "Bewerken",
                           "Opslaan",
                           "Annuleren (Esc)",
                           "Opfrissen"};
    for (int b = 0; b < ui::kNavigateButtonCount; ++b) {
        EXPECT_EQ(w.DBNavigator1->Hint(static_cast<ui::TNavigateBtn>(b)), hints[b]);
    }
    EXPECT_EQ(w.BitBtn1->text(), "&Sluiten");
    EXPECT_EQ(w.BitBtn1->toolTip(), "Venster sluiten");
    // The navigator moves the window on.
    w.DBNavigator1->BtnClick(ui::nbNext);
    EXPECT_EQ(w.Edits[0]->text().toStdString(), "0403333333");
}

TEST_F(EntryEditTest, ColourItemsWriteTheirWordIntoTheTargetOfThePopup) {
    struct Item {
        const char* caption;
        const char* word;
    };
    const Item items[] = {{"Geen kleur", ""},
                          {"Zwart", "zwart"},
                          {"Rood", "rood"},
                          {"Blauw", "blauw"},
                          {"Wit", "wit"},
                          {"Groen", "groen"},
                          {"Geel", "geel"},
                          {"Grijs", "grijs"},
                          {"Donker grijs", "donker grijs"},
                          {"Paars", "paars"},
                          {"Marine blauw", "marine blauw"},
                          {"Zilver", "zilver"}};
    AddEntries(kBook);
    Start();
    ASSERT_TRUE(GoTo("0201111111"));
    TFtelklapperedit& w = Open();
    ASSERT_EQ(ColourItems().size(), std::size(items));
    EXPECT_TRUE(w.PopupKleur->actions()[1]->isSeparator());
    struct Target {
        void (TFtelklapperedit::*open)();
        const char* field;
        const char* other;
    };
    const Target targets[] = {{&TFtelklapperedit::dbpopupkleurClick, "KLEUR", "FONTKLEUR"},
                              {&TFtelklapperedit::dbpopupfontkleurClick, "FONTKLEUR", "KLEUR"}};
    for (const Target& target : targets) {
        for (std::size_t i = 0; i < std::size(items); ++i) {
            SetField("0201111111", target.field, "vooraf");
            SetField("0201111111", target.other, "ander");
            (w.*target.open)();
            EXPECT_EQ(ColourItems()[i]->text().toStdString(), items[i].caption);
            ColourItems()[i]->trigger();
            w.PopupKleur->close();
            EXPECT_EQ(Stored("0201111111", target.field), items[i].word)
                << target.field << " " << items[i].caption;
            EXPECT_EQ(Stored("0201111111", target.other), "ander");
        }
    }
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(EntryEditTest, AColourLandsInTheEntryWhereThePopupOpened) {
    AddEntries(kBook);
    Start();
    ASSERT_TRUE(GoTo("0201111111"));
    TFtelklapperedit& w = Open();
    w.dbpopupkleurClick();
    // A call's lookup moves the table while the popup is open.
    ASSERT_TRUE(GoTo("0403333333"));
    ColourItems()[11]->trigger();
    w.PopupKleur->close();
    EXPECT_EQ(core->t2().FieldByName("NUMMER").AsString(), "0403333333");
    EXPECT_EQ(Stored("0201111111", "KLEUR"), "zilver");
    EXPECT_EQ(Stored("0403333333", "KLEUR"), "");

    // The entry was deleted meanwhile: nothing is written, and the user hears of it.
    ASSERT_TRUE(GoTo("0302222222"));
    w.dbpopupfontkleurClick();
    core->t2().Delete();
    const int records = core->t2().RecordCount();
    ColourItems()[2]->trigger();
    w.PopupKleur->close();
    EXPECT_EQ(Texts(), std::vector<std::string>{kWeg});
    EXPECT_EQ(core->t2().RecordCount(), records);
    EXPECT_EQ(core->t2().State(), db::dsBrowse);
}

TEST_F(EntryEditTest, RecordingNamesTheFragmentAfterNummerAndStoresItAfterStoppen) {
    struct Case {
        std::string nummer;
        std::string name;  // empty: no recording
    };
    const Case cases[] = {
        {"0201234567", "0201234567.wav"},
        {"020-1234567", "020-1234567.wav"},
        {"06/1234", "06_1234.wav"},
        {"123456789012345678", "1234567890123456.wav"},
        {"?", "_.wav"},
        {"", ""},
    };
    AddEntries({{"0201111111", "Jansen"}});
    Start();
    TFtelklapperedit& w = Open();
    for (const Case& c : cases) {
        xbase::TTable& t = core->t2();
        t.CheckBrowseMode();
        t.First();
        t.Edit();
        t.FieldByName("NUMMER").SetAsString(c.nummer);
        t.FieldByName("GELUID").SetAsString("oud.wav");
        t.Post();
        const std::size_t starts = recorder->started.size();
        const std::size_t shown = dialogs.shown().size();

        w.DBgeluidsfragmentClick();
        SoundItem("Opnemen")->trigger();
        w.PopupGeluid->close();
        if (c.name.empty()) {
            EXPECT_EQ(recorder->started.size(), starts);
            EXPECT_EQ(w.OpnameBox(), nullptr);
            ASSERT_EQ(dialogs.shown().size(), shown + 1);
            EXPECT_EQ(dialogs.shown().back().text, "Vul eerst een nummer in.");
            EXPECT_EQ(Only("GELUID"), "oud.wav");
            continue;
        }
        ASSERT_EQ(recorder->started.size(), starts + 1) << c.nummer;
        EXPECT_EQ(recorder->started.back(), Geluid() + c.name);
        ASSERT_NE(w.OpnameBox(), nullptr);
        EXPECT_NE(w.OpnameBox()->findChild<QLabel*>(), nullptr);
        EXPECT_EQ(w.OpnameBox()->findChild<QLabel*>()->text().toStdString(),
                  "Opname loopt: " + c.name);
        // Nothing is stored while it records.
        w.OpnameVolgen();
        EXPECT_EQ(core->t2().FieldByName("GELUID").AsString(), "oud.wav");

        auto* stoppen = w.OpnameBox()->findChild<QPushButton*>("Stoppen");
        ASSERT_NE(stoppen, nullptr);
        stoppen->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.OpnameBox() == nullptr, 2000);
        EXPECT_EQ(Read(Geluid() + c.name), recorder->recording);
        EXPECT_EQ(Only("GELUID"), c.name) << c.nummer;
        EXPECT_EQ(dialogs.shown().size(), shown);
    }
}

TEST_F(EntryEditTest, ARecorderThatCannotStartOrRecordsNothingLeavesGeluid) {
    AddEntries({{"0201111111", "Jansen"}});
    Start();
    SetField("0201111111", "GELUID", "oud.wav");
    TFtelklapperedit& w = Open();

    recorder->failWith = ENOENT;
    w.DBgeluidsfragmentClick();
    w.Opnemen1Click();
    EXPECT_EQ(w.OpnameBox(), nullptr);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Error: Sndrec32.exe"});
    EXPECT_EQ(Stored("0201111111", "GELUID"), "oud.wav");
    // The sound folder was made for it all the same.
    EXPECT_TRUE(fs::is_directory(Geluid()));

    // A recorder that ends without writing anything.
    recorder->failWith = 0;
    recorder->recording.clear();
    w.DBgeluidsfragmentClick();
    w.Opnemen1Click();
    ASSERT_NE(w.OpnameBox(), nullptr);
    w.OpnameBox()->findChild<QPushButton*>("Stoppen")->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.OpnameBox() == nullptr, 2000);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: Sndrec32.exe", "Error: Sndrec32.exe"}));
    EXPECT_EQ(Stored("0201111111", "GELUID"), "oud.wav");
}

TEST_F(EntryEditTest, OpenenCopiesAWaveIntoTheSoundFolderOrRefusesIt) {
    struct Case {
        const char* what;
        std::string chosen;                 // the file answered to the open dialog
        std::optional<int> overwrite;       // the answer to "Bestand overschrijven ?"
        std::string geluid;                 // GELUID afterwards
        std::vector<std::string> messages;  // boxes shown
        std::string inFolder;               // the folder's file of that name afterwards
    };
    const std::string elders = folder + "elders/";
    const std::string oud = "RIFF-oud";
    const std::string nieuw = "RIFF-nieuw";
    const std::string lang = "vijfentwintig-tekens.wav";
    const Case cases[] = {
        {"already in the folder", Geluid() + "eigen.wav", {}, "eigen.wav", {}, "RIFF-eigen"},
        {"a new one", elders + "nieuw.wav", {}, "nieuw.wav", {}, nieuw},
        {"an existing name, Cancel",
         elders + "bestaat.wav",
         ui::mrCancel,
         "Geen",
         {"Bestand overschrijven ?"},
         oud},
        {"an existing name, Yes",
         elders + "bestaat.wav",
         ui::mrYes,
         "bestaat.wav",
         {"Bestand overschrijven ?"},
         nieuw},
        {"not a wave", elders + "x.mp3", {}, "Geen", {"FOUT: .mp3 is geen 'wav' bestand "}, ""},
        {"a name GELUID cannot hold",
         elders + lang,
         {},
         "Geen",
         {"De bestandsnaam \"" + lang + "\" is langer dan 20 tekens; kies een kortere naam."},
         ""},
        {"an unreadable source", elders + "weg.wav", {}, "Geen", {}, ""},
    };
    AddEntries({{"0201111111", "Jansen"}});
    Start();
    TFtelklapperedit& w = Open();
    for (const Case& c : cases) {
        fs::remove_all(Geluid());
        fs::create_directories(Geluid());
        Write(Geluid() + "eigen.wav", "RIFF-eigen");
        Write(Geluid() + "bestaat.wav", oud);
        for (const char* name : {"nieuw.wav", "bestaat.wav", "x.mp3"}) {
            Write(elders + name, nieuw);
        }
        Write(elders + lang, nieuw);
        SetField("0201111111", "GELUID", "Geen");
        const std::size_t shown = dialogs.shown().size();

        dialogs.AnswerFile(c.chosen);
        if (c.overwrite) {
            dialogs.AnswerMessage(*c.overwrite);
        }
        w.DBgeluidsfragmentClick();
        SoundItem("Openen")->trigger();
        w.PopupGeluid->close();

        ASSERT_GT(dialogs.shown().size(), shown) << c.what;
        const auto& open = dialogs.shown()[shown];
        EXPECT_EQ(open.kind, ui::ScriptedDialogs::Kind::Open);
        EXPECT_EQ(open.file.filter, "*.wav|*.wav;*.WAV|*.*|*.*");
        EXPECT_EQ(open.file.initialDir, Geluid());
        std::vector<std::string> messages;
        for (std::size_t i = shown + 1; i < dialogs.shown().size(); ++i) {
            messages.push_back(dialogs.shown()[i].text);
        }
        if (c.what == std::string("an unreadable source")) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].rfind("Kopier fout: ", 0), 0u) << messages[0];
            EXPECT_NE(messages[0].find("weg.wav"), std::string::npos) << messages[0];
            EXPECT_FALSE(fs::exists(Geluid() + "weg.wav"));
        } else {
            EXPECT_EQ(messages, c.messages) << c.what;
        }
        EXPECT_EQ(Stored("0201111111", "GELUID"), c.geluid) << c.what;
        const std::string name = fs::path(c.chosen).filename().string();
        if (c.inFolder.empty()) {
            EXPECT_FALSE(fs::exists(Geluid() + name)) << c.what;
        } else {
            EXPECT_EQ(Read(Geluid() + name), c.inFolder) << c.what;
        }
        EXPECT_EQ(Read(Geluid() + "eigen.wav"), "RIFF-eigen");
        // No temporary file stays behind.
        for (const auto& entry : fs::directory_iterator(Geluid())) {
            EXPECT_EQ(entry.path().filename().string().find(".kopie-"), std::string::npos);
        }
    }
    // A cancelled dialog does nothing.
    dialogs.AnswerFile(std::nullopt);
    const std::size_t shown = dialogs.shown().size();
    w.DBgeluidsfragmentClick();
    w.Openen1Click();
    EXPECT_EQ(dialogs.shown().size(), shown + 1);
    EXPECT_EQ(Stored("0201111111", "GELUID"), "Geen");
}

TEST_F(EntryEditTest, TestPlaysTheEntrysSoundAndWisClearsIt) {
    AddEntries({{"0201111111", "Jansen"}});
    Start();
    fs::create_directories(Geluid());
    WriteWave(Geluid() + "Bel.WAV");
    Write(Geluid() + "kapot.wav", "geen geluid");
    TFtelklapperedit& w = Open();

    for (const char* none : {"Geen", ""}) {
        SetField("0201111111", "GELUID", none);
        w.DBgeluidsfragmentClick();
        SoundItem("Test")->trigger();
        w.PopupGeluid->close();
    }
    EXPECT_FALSE(output->WaitForOpened(1, 200ms));
    EXPECT_TRUE(output->Records().empty());
    EXPECT_TRUE(dialogs.shown().empty());

    // Found as a call finds it, without regard to case.
    SetField("0201111111", "GELUID", "bel.wav");
    w.DBgeluidsfragmentClick();
    w.Test1Click();
    ASSERT_TRUE(output->WaitForOpened(1, 2s));
    EXPECT_EQ(output->Records()[0].info.name, Geluid() + "Bel.WAV");
    EXPECT_TRUE(dialogs.shown().empty());

    SetField("0201111111", "GELUID", "ontbreekt.wav");
    w.DBgeluidsfragmentClick();
    w.Test1Click();
    SetField("0201111111", "GELUID", "kapot.wav");
    w.DBgeluidsfragmentClick();
    w.Test1Click();
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{"Bestand niet gevonden: " + Geluid() + "ontbreekt.wav",
                                        "Error: Sndrec32.exe"}));
    EXPECT_EQ(output->Records().size(), 1u);

    // "Wis": Cancel keeps the name, Yes clears it.
    dialogs.AnswerMessage(ui::mrCancel);
    dialogs.AnswerMessage(ui::mrYes);
    for (const char* after : {"kapot.wav", "Geen"}) {
        w.DBgeluidsfragmentClick();
        SoundItem("Wis")->trigger();
        w.PopupGeluid->close();
        EXPECT_EQ(dialogs.shown().back().text, "Wis geluids fragment ?");
        EXPECT_EQ(dialogs.shown().back().type, ui::MsgDlgType::Warning);
        EXPECT_EQ(dialogs.shown().back().buttons, ui::mbYes | ui::mbCancel);
        EXPECT_EQ(Stored("0201111111", "GELUID"), after);
    }
}

TEST_F(EntryEditTest, TheCommandLineGoesBackIntoTheEntryItWasOpenedFor) {
    AddEntries(kBook);
    Start();
    SetField("0201111111", "CMDLINE", "prog %t");
    ASSERT_TRUE(GoTo("0201111111"));
    TFtelklapperedit& w = Open();

    w.DBcmdline->OnClick(*w.DBcmdline);
    monitor::TFcommandline* editor = monitor::TFcommandline::Instance();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Caption(), "Commandline voor nummer 0201111111");
    EXPECT_EQ(editor->E_naam->text().toStdString(), "prog %t");

    // The user moves on with the navigator before pressing OK.
    w.DBNavigator1->BtnClick(ui::nbNext);
    editor->E_naam->setText("ander %n");
    editor->b_okClick();
    FreeClosed();
    EXPECT_EQ(Stored("0201111111", "CMDLINE"), "ander %n");
    EXPECT_EQ(Stored("0302222222", "CMDLINE"), "");
    EXPECT_EQ(Stored("0403333333", "CMDLINE"), "");

    // A cleared text is stored as "-".
    ASSERT_TRUE(GoTo("0302222222"));
    w.Button7Click();
    editor = monitor::TFcommandline::Instance();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Caption(), "Commandline voor nummer 0302222222");
    editor->E_naam->clear();
    editor->b_okClick();
    FreeClosed();
    EXPECT_EQ(Stored("0302222222", "CMDLINE"), "-");

    // A window closed before OK gets nothing.
    ASSERT_TRUE(GoTo("0403333333"));
    w.Button7Click();
    editor = monitor::TFcommandline::Instance();
    w.close();
    FreeClosed();
    ASSERT_TRUE(window.isNull());
    editor->E_naam->setText("te laat");
    editor->b_okClick();
    FreeClosed();
    EXPECT_EQ(Stored("0403333333", "CMDLINE"), "");
}

// A text with a character the table cannot hold is refused with a message naming it, and stays
// where it was typed until the user changes it; what the table can hold (ë, €) is stored as typed.
TEST_F(EntryEditTest, TextsTheTableCannotHoldStayInTheFormUntilChanged) {
    AddEntries(kBook);
    Start();
    struct Case {
        const char* name;
        const char* field;
        std::function<QWidget*(TFtelklapperedit&)> control;
        std::function<std::string(QWidget*)> text;
    };
    const auto edit = [](int i) {
        return
            [i](TFtelklapperedit& w) -> QWidget* { return w.Edits[static_cast<std::size_t>(i)]; };
    };
    const auto editText = [](QWidget* c) {
        return static_cast<QLineEdit*>(c)->text().toStdString();
    };
    const auto memoText = [](QWidget* c) { return static_cast<ui::TDBMemo*>(c)->Text(); };
    const Case cases[] = {
        {"NAAM", "NAAM", edit(2), editText},
        {"OMSCHR", "OMSCHR", edit(7), editText},
        {"MEMO", "MEMO", [](TFtelklapperedit& w) -> QWidget* { return w.DBMemo1; }, memoText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(GoTo("0302222222"));
        const std::string before = Stored("0302222222", c.field);
        ASSERT_TRUE(GoTo("0302222222"));
        QPointer<TFtelklapperedit> w = &Open();
        QWidget* control = c.control(*w);
        core->t2().Edit();  // as the first key would
        CommitText(control, "Zo\xC3\xAB " + kLach + " \xE2\x82\xAC");
        const std::string typed = c.text(control);
        ASSERT_NE(typed.find(kLach), std::string::npos);

        // Closing posts: refused, the window and the text stay.
        const std::size_t boxes = dialogs.shown().size();
        w->BitBtn1Click();
        FreeClosed();
        ASSERT_FALSE(w.isNull());
        EXPECT_TRUE(w->isVisible());
        ASSERT_GT(dialogs.shown().size(), boxes);
        EXPECT_EQ(dialogs.shown().back().text,
                  std::string("Dit teken kan niet worden opgeslagen in ") + c.field + ": " + kLach +
                      " (U+1F600). Pas de tekst aan.");
        EXPECT_EQ(c.text(control), typed);
        EXPECT_EQ(core->t2().State(), db::dsEdit);
        // Nor does the navigator's post store it.
        w->DBNavigator1->Button(ui::nbPost)->click();
        EXPECT_EQ(dialogs.shown().back().text, dialogs.shown()[boxes].text);
        EXPECT_EQ(core->t2().State(), db::dsEdit);
        EXPECT_EQ(c.text(control), typed);

        // The user takes the character out; the rest is stored as typed.
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(control, Qt::Key_Backspace);
        }
        CommitText(control, "\xE2\x82\xAC", false);
        w->BitBtn1Click();
        FreeClosed();
        EXPECT_TRUE(w.isNull());
        EXPECT_EQ(Stored("0302222222", c.field), "Zo\xC3\xAB \xE2\x82\xAC") << "was " << before;
    }
    EXPECT_EQ(Stored("0201111111", "NAAM"), "Jansen");
}

// The command line's editor keeps a refused text open for the user to change.
TEST_F(EntryEditTest, TheCommandLineEditorKeepsATextTheTableCannotHold) {
    AddEntries(kBook);
    Start();
    SetField("0201111111", "CMDLINE", "prog %t");
    ASSERT_TRUE(GoTo("0201111111"));
    TFtelklapperedit& w = Open();
    w.Button7Click();
    QPointer<monitor::TFcommandline> editor = monitor::TFcommandline::Instance();
    ASSERT_FALSE(editor.isNull());
    editor->E_naam->setText(QString::fromStdString("prog " + kLach + " %t"));
    editor->b_okClick();
    FreeClosed();
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->E_naam->text().toStdString(), "prog " + kLach + " %t");
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().text, "Dit teken kan niet worden opgeslagen in CMDLINE: " +
                                               kLach + " (U+1F600). Pas de tekst aan.");
    EXPECT_EQ(Stored("0201111111", "CMDLINE"), "prog %t");

    editor->E_naam->setText("prog \xC3\xAB %t");
    editor->b_okClick();
    FreeClosed();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(Stored("0201111111", "CMDLINE"), "prog \xC3\xAB %t");
}

TEST_F(EntryEditTest, TheTimeAndRejectFormsOpenOnTheEntry) {
    AddEntries(kBook);
    Start();
    SetField("0302222222", "TIJD", "2111111111");
    SetField("0302222222", "AFWIJZEN", "1000000000");
    TFtelklapperedit& w = Open();
    w.DBText3->OnClick(*w.DBText3);
    w.Bafwijzen->click();
    std::vector<PerMsnForm*> forms;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<PerMsnForm*>(top); form && form->isVisible()) {
            forms.push_back(form);
        }
    }
    ASSERT_EQ(forms.size(), 2u);
    std::vector<std::string> first;
    for (PerMsnForm* form : forms) {
        first.push_back(form->LabelText(1));
    }
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, (std::vector<std::string>{"Msn 1 = Afwijzen", "Msn 1 = Altijd"}));
    // A second click brings the open form forward rather than making another.
    w.Btijd->click();
    int open = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        open += qobject_cast<PerMsnForm*>(top) != nullptr && top->isVisible();
    }
    EXPECT_EQ(open, 2);
    for (PerMsnForm* form : forms) {
        form->close();
    }
}

TEST_F(EntryEditTest, AnEmptyPhoneBookGetsNoRecordFromTheWindow) {
    Start();
    QPointer<TFtelklapperedit> w = &Open();
    // A colour chosen with no entry to take it adds none either.
    w->dbpopupkleurClick();
    ColourItems()[1]->trigger();
    w->PopupKleur->close();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Er is geen record om te wijzigen."});
    EXPECT_TRUE(core->t2().IsEmpty());
    w->BitBtn1Click();
    FreeClosed();
    EXPECT_TRUE(w.isNull());
    EXPECT_TRUE(core->t2().IsEmpty());
    EXPECT_EQ(core->t2().State(), db::dsBrowse);
    Stop();
    EXPECT_EQ(RecordsOnDisk(), 0);
}

TEST_F(EntryEditTest, ClosingPostsAndCommitsAChangeOrStaysOpenWhenThePostFails) {
    AddEntries(kBook);
    Start();
    ASSERT_TRUE(GoTo("0302222222"));
    QPointer<TFtelklapperedit> w = &Open();

    // A failing post: the error is shown and nothing is dropped.
    core->t2().Edit();
    w->Edits[6]->setFocus();
    w->Edits[6]->end(false);
    QTest::keyClicks(w->Edits[6], "x");
    core->t2().BeforePost = [](db::TDataSet&) { throw rtl::Exception("Schijf vol"); };
    w->close();
    FreeClosed();
    ASSERT_FALSE(w.isNull());
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_NE(dialogs.shown()[0].text.find("Schijf vol"), std::string::npos);
    EXPECT_EQ(core->t2().State(), db::dsEdit);

    core->t2().BeforePost = nullptr;
    w->BitBtn1Click();
    FreeClosed();
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(core->t2().State(), db::dsBrowse);
    // A second open of the table sees the change.
    Stop();
    Start();
    ASSERT_TRUE(GoTo("0302222222"));
    EXPECT_EQ(core->t2().FieldByName("PLAATS").AsString(), "Goudax");
}

}  // namespace
}  // namespace book::testing
