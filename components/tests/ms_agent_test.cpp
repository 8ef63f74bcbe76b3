#include "components/ms_agent.h"

#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/agent/fake_agent_control.h"

namespace {

using agent::testing::FakeAgentScript;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

class MsAgentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        agent::testing::InstallFakeAgentControl(script_);
        agent::SetAgentLogSink([this](const std::string& line) { log_.push_back(line); });
    }
    void TearDown() override {
        FreeMsAgent();
        agent::SetAgentControlFactory(nullptr);
        agent::SetAgentLogSink(nullptr);
    }

    // Starts the character and forgets the requests that took.
    void Start() {
        ASSERT_TRUE(StartMsAgent());
        script_->requests.clear();
    }

    std::shared_ptr<FakeAgentScript> script_ = std::make_shared<FakeAgentScript>();
    std::vector<std::string> log_;
};

TEST_F(MsAgentTest, StartWithoutControlLeavesMsAgentEmpty) {
    for (const bool throws : {false, true}) {
        SCOPED_TRACE(throws ? "factory raises" : "factory answers nothing");
        script_->failCreate = !throws;
        script_->throwOnCreate = throws;

        TMsAgent direct;
        EXPECT_EQ(direct.Status(), 1);
        EXPECT_EQ(direct.StatusMessage(), "Microsoft Agents nicht gefunden");
        EXPECT_FALSE(direct.LoadCharacter(""));

        EXPECT_FALSE(StartMsAgent());
        EXPECT_EQ(MsAgent, nullptr);
        EXPECT_EQ(MsAgentFailureMessage(), "Microsoft Agents nicht gefunden");
    }
}

TEST_F(MsAgentTest, FailingDefaultLoadFreesTheObject) {
    script_->failingLoads = {""};

    EXPECT_FALSE(StartMsAgent());

    EXPECT_EQ(MsAgent, nullptr);
    EXPECT_EQ(script_->control, nullptr) << "the control goes with the object";
    EXPECT_EQ(MsAgentFailureMessage(), " konnte nicht geladen werden.");
}

TEST_F(MsAgentTest, FailingLoadOfAFileSetsStatusTwoAndAllowsAnother) {
    ASSERT_TRUE(CreateMsAgent());
    script_->failingLoads = {"/x/peedy.acs"};

    EXPECT_FALSE(MsAgent->LoadCharacter("/x/peedy.acs"));
    EXPECT_EQ(MsAgent->Status(), 2);
    EXPECT_EQ(MsAgent->StatusMessage(), "/x/peedy.acs konnte nicht geladen werden.");
    EXPECT_FALSE(MsAgent->CharacterLoaded());

    EXPECT_TRUE(MsAgent->LoadCharacter("/x/merlin.acs"));
    EXPECT_EQ(MsAgent->GetCharacterName(), "Merlin");
}

TEST_F(MsAgentTest, CreateWhenSetMakesNothing) {
    Start();
    TMsAgent* first = MsAgent;

    EXPECT_TRUE(CreateMsAgent());

    EXPECT_EQ(MsAgent, first);
    EXPECT_EQ(script_->created, 1);
}

TEST_F(MsAgentTest, StartLoadsTheDefaultCharacterUnderItsId) {
    ASSERT_TRUE(StartMsAgent());

    EXPECT_THAT(script_->requests,
                ElementsAre("RaiseRequestErrors false", "Load DoraRevaCharacter <default>"));
    EXPECT_EQ(MsAgent->Status(), 0);
    EXPECT_EQ(MsAgent->SavedLanguageId(), 1043);
    EXPECT_EQ(MsAgent->GetCharacterName(), "Robby");
}

TEST_F(MsAgentTest, LoadOfTheLoadedFileKeepsItAndAnotherReplacesIt) {
    ASSERT_TRUE(CreateMsAgent());
    ASSERT_TRUE(MsAgent->LoadCharacter("genie.acs"));
    script_->requests.clear();

    EXPECT_TRUE(MsAgent->LoadCharacter("genie.acs"));
    EXPECT_THAT(script_->requests, IsEmpty());

    EXPECT_TRUE(MsAgent->LoadCharacter("peedy.acs"));
    EXPECT_THAT(script_->requests, ElementsAre("Hide slow", "Unload DoraRevaCharacter",
                                               "Load DoraRevaCharacter peedy.acs"));
    EXPECT_EQ(MsAgent->CharacterFile(), "peedy.acs");
    EXPECT_EQ(MsAgent->GetCharacterName(), "Peedy");
}

TEST_F(MsAgentTest, SpeakPlacesShowsAndHidesAsAsked) {
    struct Case {
        const char* name;
        bool visible;
        int languageId, x, y, hideAfter;
        std::vector<std::string> expected;
    };
    // Screen 1024 x 768, character 128 x 128: the corner is (891, 580).
    const std::vector<Case> cases{
        {"corner when x is 0, whatever y",
         false,
         1031,
         0,
         300,
         0,
         {"LanguageID 1031", "MoveTo 891 580 2", "Show fast", "Play Pleased", "Speak tekst",
          "Play GestureDown"}},
        {"corner when y is 0",
         false,
         1031,
         40,
         0,
         0,
         {"LanguageID 1031", "MoveTo 891 580 2", "Show fast", "Play Pleased", "Speak tekst",
          "Play GestureDown"}},
        {"own place when both are 1 or more",
         false,
         1033,
         1,
         1,
         0,
         {"LanguageID 1033", "MoveTo 1 1 2", "Show fast", "Play Pleased", "Speak tekst",
          "Play GestureDown"}},
        {"visible: no move, no show",
         true,
         1033,
         50,
         60,
         0,
         {"LanguageID 1033", "Play Pleased", "Speak tekst", "Play GestureDown"}},
        {"language 0 takes the saved id, hide afterwards",
         true,
         0,
         0,
         0,
         1,
         {"LanguageID 1043", "Play Pleased", "Speak tekst", "Play GestureDown", "Hide slow"}},
        {"hide only for 1",
         true,
         0,
         0,
         0,
         2,
         {"LanguageID 1043", "Play Pleased", "Speak tekst", "Play GestureDown"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Start();
        if (c.visible) {
            MsAgent->Speak("", 0, 0, 0, "", "", 0);
            script_->requests.clear();
        }
        MsAgent->Speak("tekst", c.languageId, c.x, c.y, "Pleased", "GestureDown", c.hideAfter);
        EXPECT_THAT(script_->requests, ElementsAreArray(c.expected));
        FreeMsAgent();
    }
}

TEST_F(MsAgentTest, SpeakWithoutTextOrCharacterSpeaksNothing) {
    Start();
    MsAgent->Speak("", 1043, 0, 0, "Pleased", "GestureDown", 0);
    EXPECT_THAT(script_->requests, ElementsAre("LanguageID 1043", "MoveTo 891 580 2", "Show fast",
                                               "Play Pleased", "Play GestureDown"));

    FreeMsAgent();

    // Made but nothing loaded: every request, SwitchOff included, does nothing.
    ASSERT_TRUE(CreateMsAgent());
    script_->requests.clear();
    MsAgent->Speak("tekst", 0, 0, 0, "Pleased", "", 1);
    MsAgent->SpeakWithAttention("tekst", 0, 0, 0);
    MsAgent->HideCharacter();
    MsAgent->SwitchOff();
    EXPECT_NE(MsAgent, nullptr);
    EXPECT_EQ(MsAgent->GetCharacterName(), "");
    EXPECT_THAT(script_->requests, IsEmpty());
}

TEST_F(MsAgentTest, SpeakWithAttentionAnnouncesWithoutHiding) {
    Start();
    MsAgent->SpeakWithAttention("Jan Jansen belt", 0, 0, 5);
    EXPECT_THAT(script_->requests, ElementsAre("LanguageID 1043", "MoveTo 891 580 2", "Show fast",
                                               "Play GetAttention", "Speak Jan Jansen belt"));

    script_->requests.clear();
    MsAgent->SpeakWithAttention("", 0, 0, 5);
    EXPECT_THAT(script_->requests, ElementsAre("LanguageID 1043", "Play GetAttention"));
}

TEST_F(MsAgentTest, OnlyALeftClickGreetsWithTheName) {
    Start();
    for (const int button : {agent::kRightButton, agent::kMiddleButton}) {
        script_->control->Click(button);
    }
    EXPECT_THAT(script_->requests, IsEmpty());

    script_->control->Click(agent::kLeftButton);
    EXPECT_THAT(script_->requests,
                ElementsAre("LanguageID 1043", "MoveTo 891 580 2", "Show fast", "Play Pleased",
                            "Speak Hallo ik ben Robby", "Play gesturedown"));
}

TEST_F(MsAgentTest, EventsReachTheNotifications) {
    Start();
    int hides = 0;
    int changes = 0;
    MsAgent->OnHide = [&](TMsAgent* sender) {
        EXPECT_EQ(sender, MsAgent);
        ++hides;
    };
    MsAgent->OnDefaultCharacterChange = [&] { ++changes; };

    script_->control->HideByUser();
    script_->control->ChangeDefaultCharacter();

    EXPECT_EQ(hides, 1);
    EXPECT_EQ(changes, 1);
}

TEST_F(MsAgentTest, DialogsGoToTheControl) {
    Start();
    MsAgent->ChooseDefaultCharacter();
    MsAgent->ShowPropertySheet();
    EXPECT_THAT(script_->requests, ElementsAre("DefaultCharacterProperties", "PropertySheet"));
}

TEST_F(MsAgentTest, SwitchOffHidesUnloadsAndFrees) {
    Start();

    MsAgent->SwitchOff();

    EXPECT_EQ(MsAgent, nullptr);
    EXPECT_THAT(script_->requests,
                ElementsAre("Hide slow", "Unload DoraRevaCharacter", "Control freed"));
}

TEST_F(MsAgentTest, FreeingHidesFastAndUnloads) {
    Start();

    FreeMsAgent();

    EXPECT_THAT(script_->requests,
                ElementsAre("Hide fast", "Unload DoraRevaCharacter", "Control freed"));
}

TEST_F(MsAgentTest, FailedRequestsRaiseNothingAndAreLogged) {
    for (const bool throws : {false, true}) {
        SCOPED_TRACE(throws ? "requests raise" : "requests refused");
        Start();
        script_->failRequests = !throws;
        script_->throwOnRequests = throws;
        log_.clear();

        EXPECT_NO_THROW(MsAgent->Speak("tekst", 0, 0, 0, "Pleased", "", 1));
        EXPECT_NO_THROW(MsAgent->SpeakWithAttention("tekst", 0, 0, 0));
        EXPECT_NO_THROW(MsAgent->HideCharacter());
        EXPECT_EQ(log_.size(), 3u) << "one line per failed request";

        script_->throwOnLoad = throws;
        script_->failingLoads = {"merlin"};
        EXPECT_FALSE(MsAgent->LoadCharacter("merlin"));
        EXPECT_EQ(MsAgent->Status(), 2);

        EXPECT_NO_THROW(FreeMsAgent());
        *script_ = FakeAgentScript{};
    }
}

}  // namespace
