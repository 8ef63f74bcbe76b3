#include <unistd.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/agent/default_character.h"
#include "platform/agent/tests/agent_test_support.h"

namespace agent::testing {
namespace {

// A control without a voice: speech is the balloon for its reading time.
class SilentControlTest : public QtControlFixture, public ::testing::Test {
  protected:
    SilentControlTest() {
        speech = nullptr;
        MakeControl();
    }
};

TEST_F(SilentControlTest, RequestsRunInTheOrderAsked) {
    QtCharacter& c = Load();
    c.MoveTo(100, 200, 2);
    c.Show(true);
    c.Play("GetAttention");
    c.Speak("Hallo");
    c.Hide(false);
    EXPECT_FALSE(c.Window().isVisible()) << "nothing runs before time moves";

    control->Advance(0);
    EXPECT_EQ(c.Window().pos(), QPoint(100, 200));
    EXPECT_TRUE(c.Window().isVisible());
    EXPECT_DOUBLE_EQ(c.Window().windowOpacity(), 1.0);
    EXPECT_FALSE(c.Balloon().isVisible()) << "the animation plays first";

    control->Advance(3 * QtCharacter::kFrameMs);  // the attention frames
    control->Advance(0);
    EXPECT_TRUE(c.Balloon().isVisible());
    EXPECT_EQ(c.Balloon().Text(), "Hallo");

    control->Advance(QtCharacter::ReadingTimeMs("Hallo") - 1);
    EXPECT_TRUE(c.Balloon().isVisible()) << "the speech still runs";
    EXPECT_TRUE(c.Window().isVisible()) << "the hide waits for the speech";

    control->Advance(1);
    EXPECT_FALSE(c.Balloon().isVisible());
    EXPECT_TRUE(c.Window().isVisible()) << "a slow hide fades";
    control->Advance(QtCharacter::kFadeMs);
    EXPECT_FALSE(c.Window().isVisible());
    EXPECT_FALSE(c.Busy());
}

TEST_F(SilentControlTest, VisibleAnswersWhereTheQueueLeads) {
    QtCharacter& c = Load();
    EXPECT_FALSE(c.Visible());
    c.Show(true);
    EXPECT_TRUE(c.Visible());
    control->Advance(0);
    c.Speak("Eerste beller");
    c.Hide(false);
    EXPECT_FALSE(c.Visible()) << "after a queued hide, though the window still shows";
    EXPECT_TRUE(c.Window().isVisible());
}

TEST_F(SilentControlTest, MovesAndFadesTakeTheirTime) {
    QtCharacter& c = Load();
    c.MoveTo(0, 0, 2);
    c.MoveTo(300, 100, 1000);
    c.Show(false);
    control->Advance(0);
    control->Advance(500);
    EXPECT_EQ(c.Window().pos(), QPoint(150, 50));
    control->Advance(500);
    EXPECT_EQ(c.Window().pos(), QPoint(300, 100));

    control->Advance(QtCharacter::kFadeMs / 2);
    EXPECT_NEAR(c.Window().windowOpacity(), 0.5, 0.05);
    control->Advance(QtCharacter::kFadeMs / 2);
    EXPECT_DOUBLE_EQ(c.Window().windowOpacity(), 1.0);
    EXPECT_FALSE(c.Busy());
}

TEST_F(SilentControlTest, AnimationsMatchWithoutRegardToCaseAndUnknownOnesEndAtOnce) {
    QtCharacter& c = Load("genie");
    c.Show(true);
    control->Advance(0);
    for (const char* name : {"GetAttention", "getattention", "PLEASED", "gestureDown"}) {
        SCOPED_TRACE(name);
        c.Play(name);
        control->Advance(0);
        EXPECT_TRUE(c.Busy()) << "its frames take time";
        control->Advance(1000);
        EXPECT_FALSE(c.Busy());
    }
    c.Play("Wave");
    control->Advance(0);
    EXPECT_FALSE(c.Busy());
}

TEST_F(SilentControlTest, WindowsStayOnTopWithoutFocusOrTaskBarEntry) {
    QtCharacter& c = Load();
    for (QWidget* w : {static_cast<QWidget*>(&c.Window()), static_cast<QWidget*>(&c.Balloon())}) {
        const Qt::WindowFlags flags = w->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        EXPECT_EQ(w->windowType(), Qt::Tool) << "no task-bar entry";
        EXPECT_TRUE(w->testAttribute(Qt::WA_ShowWithoutActivating));
    }
}

TEST_F(SilentControlTest, BalloonShowsMarkupAsCharacters) {
    QtCharacter& c = Load();
    c.Show(true);
    c.Speak("<b>x</b> <img src=a>");
    control->Advance(0);
    const auto* label = c.Balloon().findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "<b>x</b> <img src=a>");
}

TEST_F(SilentControlTest, ClicksReachTheHandlerFromTheEventLoop) {
    QtCharacter& c = Load();
    std::vector<int> buttons;
    control->SetEvents({[&](const std::string& id, int button, int, int, int) {
                            EXPECT_EQ(id, "id");
                            buttons.push_back(button);
                        },
                        nullptr, nullptr});
    c.Show(true);
    control->Advance(0);
    QTest::mouseClick(&c.Window(), Qt::LeftButton);
    QTest::mouseClick(&c.Window(), Qt::RightButton);
    QTest::mouseClick(&c.Window(), Qt::MiddleButton);
    EXPECT_TRUE(buttons.empty()) << "not from inside the window's own handler";
    EXPECT_TRUE(QTest::qWaitFor([&] { return buttons.size() == 3; }, 2000));
    EXPECT_EQ(buttons, (std::vector<int>{kLeftButton, kRightButton, kMiddleButton}));
}

TEST_F(SilentControlTest, HidingRaisesTheHideEventOnce) {
    QtCharacter& c = Load();
    int hides = 0;
    control->SetEvents({nullptr, nullptr, [&](const std::string&, int) { ++hides; }});
    c.Hide(true);  // hidden already: nothing to report
    c.Show(true);
    c.Hide(true);
    control->Advance(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return hides > 0; }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(hides, 1);
}

class LoadTest : public SilentControlTest {
  protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() / ("agent-load-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    void TearDown() override {
        control.reset();
        ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(folder_);
    }
    std::filesystem::path folder_;
};

TEST_F(LoadTest, AFileLoadsTheCharacterItsBaseNameNames) {
    const struct {
        const char* file;
        int status;
        const char* name;
    } cases[] = {{"/opt/chars/Merlin.acs", 0, "Merlin"},
                 {"peedy", 0, "Peedy"},
                 {"clippit.acs", 2, ""},
                 {"", 2, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(control->Load("id", std::string(c.file)), c.status);
        auto* character = control->Character("id");
        EXPECT_EQ(character ? character->Name() : "", c.name);
        control->Unload("id");
        EXPECT_EQ(control->Character("id"), nullptr);
    }
}

TEST_F(LoadTest, WithoutAFileTheUsersDefaultLoads) {
    EXPECT_EQ(control->Load("a", std::nullopt), 0);
    EXPECT_EQ(control->Character("a")->Name(), "Robby");
    EXPECT_NE(control->Load("a", std::nullopt), 0) << "an id holds one character";

    WriteDefaultCharacter("Genie");
    EXPECT_EQ(control->Load("b", std::nullopt), 0);
    EXPECT_EQ(control->Character("b")->Name(), "Genie");
    EXPECT_EQ(control->Character("b")->LanguageID(), 1043);
}

TEST_F(LoadTest, TheChooserStoresTheChoiceAndRaisesTheChange) {
    int changes = 0;
    control->SetEvents({nullptr, [&] { ++changes; }, nullptr});
    control->ShowDefaultCharacterProperties();
    CharacterChooser* chooser = control->Chooser();
    ASSERT_NE(chooser, nullptr);
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->findChildren<QAbstractButton*>().size(), 4 + 2);
    EXPECT_EQ(chooser->Selected(), "Robby");

    chooser->Select("Merlin");
    QTest::mouseClick(chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes > 0; }, 2000));

    EXPECT_EQ(changes, 1);
    EXPECT_EQ(ReadDefaultCharacter(), "Merlin");
}

TEST_F(LoadTest, ThePropertySheetNamesCharacterVoicesAndWhatWasFound) {
    ASSERT_EQ(control->Load("id", std::string("merlin")), 0);
    control->ShowPropertySheet();
    ASSERT_NE(control->Sheet(), nullptr);
    const QString summary = control->Sheet()->Summary();
    EXPECT_TRUE(summary.contains("Personage: Merlin"));
    EXPECT_TRUE(summary.contains("1033 en-us"));
    EXPECT_TRUE(summary.contains("espeak-ng: "));
    EXPECT_TRUE(summary.contains("Geluidsapparaat: niet gevonden")) << "no output given";
}

TEST(QtAgentControlFactory, PicturesOfTheFourCharacters) {
    QtAgentControl control({nullptr, {}, true});
    const auto pictures = control.Pictures();
    ASSERT_EQ(pictures.size(), 4u);
    for (const auto& p : pictures) {
        EXPECT_NE(p.svg.find("<svg"), std::string::npos) << p.name;
    }
    EXPECT_EQ(pictures[0].name, "Robby");
}

}  // namespace
}  // namespace agent::testing
