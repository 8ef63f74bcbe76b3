// The monitor window on the program's own phone book and call log and the simulated line, with
// made-up calls clicked on the test form that the window's tool bar opens.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "capi/capi_commands.h"
#include "monitor/call_road_host.h"
#include "monitor/ftest.h"
#include "monitor/monitor_window.h"
#include "monitor/settings.h"
#include "monitor/tests/road_line_fixture.h"
#include "platform/os/recording_dde_service.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace monitor::testing {
namespace {

using capi::test::PumpUntil;
namespace fs = std::filesystem;

const std::string kFoundLine =
    "\"1\",\"2\",\"3\",\"Jan\",\"Jansen\",\"\",\"Dorpsstraat\",\"12\",\"1234 AB\",\"Zwolle\"";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The records of the call log's dump, one text per record.
std::vector<std::string> Records(const std::string& dump) {
    std::vector<std::string> records;
    std::istringstream in(dump);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("NUMMER=[") != std::string::npos) {
            records.push_back(line);
        }
    }
    return records;
}

class WindowRoadTest : public RoadLineTest {
  protected:
    void SetUp() override {
        RoadLineTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        // Long enough for the test calls to happen while a real call still rings.
        instellingen.afwijstijd = 30;
        ini->WriteInteger("capi", "kaartnummer", 1);
        ini->WriteInteger("capi", "afwijstijd", 30);
    }

    void TearDown() override {
        delete Tftest::Instance();
        window.reset();
        RoadLineTest::TearDown();
    }

    // The window as start-up makes it: created, its road connected, its line opened.
    void Open() {
        BeginTables();
        ASSERT_FALSE(HasFatalFailure());
        window =
            std::make_unique<TForm1>(TForm1::Parts{*ini, bus, folder + "belverin", tray.get()});
        window->FormCreate();
        window->ConnectRoad(*core, *log, [this] { ++memosShown; });
        ASSERT_TRUE(window->OpenLine()) << window->Belverin1().ErrorString();
        ASSERT_EQ(window->Caption(), "Capi Status: OK");
        ASSERT_EQ(Memo().size(), 1u);
        opened = sim->Mark();
    }

    // Opens the test form from the tool bar and clicks test n with this own number and,
    // for the tests that have one, this caller's number.
    void TestCall(int n, const std::string& eigennr, const std::string& nummer = {}) {
        window->SpeedButton6->click();
        Tftest* form = Tftest::Instance();
        ASSERT_NE(form, nullptr);
        form->cob1->setEditText(QString::fromStdString(eigennr));
        if (QLineEdit* edit = form->e[static_cast<std::size_t>(n - 1)]) {
            edit->setText(QString::fromStdString(nummer));
        }
        QTest::mouseClick(form->l[static_cast<std::size_t>(n - 1)], Qt::LeftButton);
    }

    bool RoadFree() { return window->RoadHost()->Road().monitorvrij(); }

    std::vector<std::string> Memo() const {
        std::vector<std::string> lines;
        for (const QString& line : window->Memo1->toPlainText().split('\n')) {
            lines.push_back(line.toStdString());
        }
        return lines;
    }

    // The PLCI of each call the line announced, oldest first.
    std::vector<std::uint32_t> Announced() const {
        std::vector<std::uint32_t> plcis;
        for (const auto& e : sim->Transcript()) {
            if (e.toApplication && e.command == capi::kConnectInd) {
                plcis.push_back(e.address);
            }
        }
        return plcis;
    }

    // How the monitor answered the call at `plci`: each message it put for the call besides
    // the alert, as (command, Reject of a CONNECT_RESP or -1).
    std::vector<std::pair<std::uint16_t, int>> Answers(std::uint32_t plci) const {
        std::vector<std::pair<std::uint16_t, int>> found;
        for (const auto& e : sim->Transcript()) {
            if (!e.toApplication && e.address == plci && e.command != capi::kAlertReq) {
                const bool resp = e.command == capi::kConnectResp && e.bytes.size() >= 14;
                found.emplace_back(e.command, resp ? e.bytes[12] | (e.bytes[13] << 8) : -1);
            }
        }
        return found;
    }

    ui::ScriptedDialogs dialogs;
    os::RecordingDdeService bus;
    std::unique_ptr<TForm1> window;
    std::size_t opened = 0;  // the line's transcript once the window listens
};

// A real caller rings for 30 s. A test call during its lookup gets the busy line; one after
// it, from an entry that refuses this MSN, shows the refusal. Neither answers the ringing call
// nor takes the reject button away: the call is left to the others when its own time is up.
TEST_F(WindowRoadTest, TestCallsNeverActOnTheRingingCall) {
    AddEntries({{"0612345678", "Smit", "Utrecht"}});
    Directory("0201111111\tlate:2500\t" + kFoundLine + "\n");
    instellingen.AutomatischZoeken = true;
    Open();
    SetEntry("0612345678", {{"AFWIJZEN", "1"}});

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(sim->Offer("0201111111", "5551234", 1), 1);
    ASSERT_TRUE(PumpUntil([&] {
        return window->L_gegevens->text().startsWith("Bezig met zoeken in KPN");
    })) << window->L_gegevens->text().toStdString();
    const std::uint32_t plci = Announced().at(0);
    EXPECT_TRUE(window->bkill->isEnabled()) << "a ringing call may be rejected";

    // During the real call's lookup: the busy line, and nothing else changes.
    TestCall(1, "5551234", "0612345678");
    ASSERT_EQ(Memo().size(), 2u);
    const std::string busy = Memo()[1];
    EXPECT_EQ(busy.rfind("?) ", 0), 0u) << busy;
    for (const char* part : {"0612345678", "test 1 (1)", "Nog bezig met zoeken. (niet verwerkt)"}) {
        EXPECT_TRUE(Contains(busy, part)) << part << " in " << busy;
    }
    EXPECT_FALSE(RoadFree());
    EXPECT_TRUE(window->bkill->isEnabled());

    // The real call's road ends with the directory's answer.
    ASSERT_TRUE(PumpUntil([&] { return Memo().size() == 3 && RoadFree(); }, 20000));
    EXPECT_EQ(Memo()[2].rfind("1) ", 0), 0u) << Memo()[2];
    EXPECT_TRUE(window->bkill->isEnabled());

    // The entry refuses the test call on this MSN: shown, logged, never done on the line.
    TestCall(1, "5551234", "0612345678");
    ASSERT_TRUE(PumpUntil([&] { return Memo().size() == 4 && RoadFree(); }));
    EXPECT_EQ(Memo()[3].rfind("2) ", 0), 0u) << Memo()[3];
    EXPECT_TRUE(window->Image[4]->isVisibleTo(window.get())) << "the reject picture";
    EXPECT_FALSE(window->Image[0]->isVisibleTo(window.get()));
    EXPECT_TRUE(window->bkill->isEnabled());
    EXPECT_TRUE(Answers(plci).empty()) << "the ringing call was answered by a test call";

    const auto records = Records(LogDump());
    ASSERT_EQ(records.size(), 2u) << LogDump();
    EXPECT_TRUE(Contains(records[0], "NUMMER=[0201111111]")) << records[0];
    EXPECT_TRUE(Contains(records[0], "SOORT=[speech (1)]")) << records[0];
    for (const char* field :
         {"NUMMER=[0612345678]", "SOORT=[test 1 (1)]", "ZOEKSTATUS=[Afgewezen via Klapper]"}) {
        EXPECT_TRUE(Contains(records[1], field)) << field << "\n" << records[1];
    }

    // The real call's countdown leaves it to the other terminals: its first answer.
    ASSERT_TRUE(PumpUntil([&] { return !Answers(plci).empty(); }, 40000));
    const qint64 answered = clock.elapsed();
    const auto put = Answers(plci);
    EXPECT_EQ(put.front(), (std::pair<std::uint16_t, int>{capi::kConnectResp, 1}));
    EXPECT_GE(answered, 30000 - 100);
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.shown().front().text;
}

// Test calls on their own, through the road to the memo and the call log.
TEST_F(WindowRoadTest, TestCallsReachTheMemoAndTheLog) {
    AddEntries({{"0301234567", "Jansen", "Ede"}});
    Open();
    const struct {
        const char* name;
        int test;
        const char* eigennr;
        const char* nummer;
        const char* memo;                 // the line the call adds, as a pattern
        std::vector<const char*> logged;  // the fields of its record; none when not logged
        int image;                        // the picture shown, 1 .. 6
    } cases[] = {
        {"phone-book caller",
         1,
         "5551234",
         "0301234567",
         R"(1\) \d\d:\d\d:\d\d - 0301234567 - , Jansen, .*test 1 \(1\).*In de Klapper gevonden)",
         {"NUMMER=[0301234567]", "SOORT=[test 1 (1)]", "ZOEKSTATUS=[In de Klapper gevonden]"},
         1},
        {"no number",
         4,
         "5551234",
         "",
         R"(2\) \d\d:\d\d:\d\d - -- - .*test 4 \(1\).*Geen nummer herkend)",
         {"NUMMER=[--]", "MSN=[5551234]", "SOORT=[test 4 (1)]", "ZOEKSTATUS=[Geen nummer herkend]"},
         3},
        {"own number not configured",
         1,
         "5559999",
         "0301234567",
         R"(\?\) \d\d:\d\d:\d\d - 0301234567 - 5559999 - Niet als eigen nummer opgegeven)",
         {},
         4},
    };
    std::size_t records = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t lines = Memo().size();
        TestCall(c.test, c.eigennr, c.nummer);
        ASSERT_TRUE(PumpUntil([&] { return Memo().size() == lines + 1 && RoadFree(); }));
        const std::string line = Memo().back();
        EXPECT_TRUE(std::regex_match(line, std::regex(c.memo))) << line;
        for (int i = 0; i < kRoadImages; ++i) {
            EXPECT_EQ(window->Image[i]->isVisibleTo(window.get()), i + 1 == c.image)
                << "Image" << i + 1;
        }
        const auto logged = Records(LogDump());
        if (!c.logged.empty()) {
            ++records;
        }
        ASSERT_EQ(logged.size(), records) << LogDump();
        for (const char* field : c.logged) {
            EXPECT_TRUE(Contains(logged.back(), field)) << field << "\n" << logged.back();
        }
    }
    // The last call's own number is no MSN: the window shows it all the same.
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->L_nummer->text(), "0301234567 (5559999)");
    EXPECT_TRUE(sim->PutsFrom(opened).empty()) << "a test call reached the line";
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.shown().front().text;
}

// A disk for the program folder that fills up and frees again: a small tmpfs mounted over the
// folder (its files copied onto it), or the engine's own write-failure seam.
class FullDiskTest : public WindowRoadTest {
  protected:
    void TearDown() override {
        // The fixture empties the folder; the mount and what lies under it go after.
        WindowRoadTest::TearDown();
        if (mounted) {
            ::umount2(folder.c_str(), MNT_DETACH);
            std::error_code ec;
            fs::remove_all(folder, ec);
        }
    }

    // Mounts a tmpfs of a few megabytes over the folder; the reason when the system refuses.
    std::string MountSmallDisk() {
        const std::string keep = folder.substr(0, folder.size() - 1) + "-inhoud";
        fs::copy(folder, keep, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16m") != 0) {
            const std::string why = std::strerror(errno);
            fs::remove_all(keep);
            return why;
        }
        mounted = true;
        fs::copy(keep, folder, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        fs::remove_all(keep);
        return {};
    }

    // Takes every free byte of the disk with one file.
    void FillDisk() {
        const int fd = ::open((folder + "vuller").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const std::vector<char> block(64 * 1024, 'x');
        for (std::size_t size = block.size(); size > 0; size /= 2) {
            while (::write(fd, block.data(), size) == static_cast<ssize_t>(size)) {
            }
        }
        ::close(fd);
    }

    std::vector<std::string> Notices() const {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs.shown()) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    // Calls while the disk is full, until the log refuses one (a file's last page may still
    // hold a few rows) and two more: each is in the memo, and one notice says why. Once the
    // disk has room the waiting rows land after the others, in call order, each once, and one
    // notice says so; the next call is logged at once.
    void CallsSurvive(const std::function<void()>& fill, const std::function<void()>& free,
                      const std::string& why) {
        Open();
        ASSERT_FALSE(HasFatalFailure());
        window->RoadHost()->SetLogRetryInterval(20);
        std::vector<std::string> numbers;
        const auto call = [&] {
            const std::string nummer = "02000000" + std::to_string(10 + numbers.size());
            numbers.push_back(nummer);
            const std::size_t lines = Memo().size();
            TestCall(1, "5551234", nummer);
            ASSERT_TRUE(PumpUntil([&] { return Memo().size() == lines + 1 && RoadFree(); }));
            EXPECT_TRUE(Contains(Memo().back(), nummer)) << Memo().back();
        };
        fill();
        while (Notices().empty() && numbers.size() < 80) {
            call();
            ASSERT_FALSE(HasFatalFailure());
        }
        call();
        call();
        ASSERT_FALSE(HasFatalFailure());
        const std::size_t before = Records(LogDump()).size();
        ASSERT_LE(before + 3, numbers.size()) << LogDump();
        ASSERT_EQ(Notices().size(), 1u);
        EXPECT_EQ(Notices()[0].rfind("Het logboek kan niet worden bijgewerkt: " + why, 0), 0u)
            << Notices()[0];
        EXPECT_TRUE(window->RoadHost()->LogRetryRunning());

        free();
        ASSERT_TRUE(PumpUntil([&] { return Records(LogDump()).size() >= numbers.size(); }));
        const auto logged = Records(LogDump());
        ASSERT_EQ(logged.size(), numbers.size()) << LogDump();
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            EXPECT_TRUE(Contains(logged[i], "NUMMER=[" + numbers[i] + "]")) << logged[i];
        }
        {
            std::ifstream table(folder + book::kLogTableName, std::ios::binary | std::ios::ate);
            table.seekg(-1, std::ios::end);
            EXPECT_EQ(table.get(), 0x1A) << "the table has no end marker";
        }
        ASSERT_EQ(Notices().size(), 2u);
        EXPECT_EQ(Notices()[1],
                  "Het logboek wordt weer bijgewerkt: " + std::to_string(numbers.size() - before) +
                      " bewaarde oproepen zijn alsnog in het logboek gezet.");
        EXPECT_FALSE(window->RoadHost()->LogRetryRunning());

        call();
        const auto after = Records(LogDump());
        ASSERT_EQ(after.size(), numbers.size()) << LogDump();
        EXPECT_TRUE(Contains(after.back(), "NUMMER=[" + numbers.back() + "]")) << after.back();
        EXPECT_EQ(Notices().size(), 2u);
    }

    bool mounted = false;
};

TEST_F(FullDiskTest, CallsOnAFullTmpfsAreLoggedInOrderOnceThereIsRoom) {
    if (const std::string refused = MountSmallDisk(); !refused.empty()) {
        GTEST_SKIP() << "no tmpfs can be mounted here (" << refused
                     << "); the engine's seam test covers the road";
    }
    CallsSurvive([this] { FillDisk(); }, [this] { fs::remove(folder + "vuller"); },
                 "de schijf is vol.");
}

TEST_F(FullDiskTest, CallsTheEngineCannotWriteAreLoggedOnceItCanAgain) {
    const xbase::EngineApi& engine = library->Api();
    CallsSurvive([&] { engine.sx_SysProp(65110, 0); }, [&] { engine.sx_SysProp(65110, -1); },
                 "de schijf is vol.");
}

TEST_F(FullDiskTest, CallsOnAReadOnlyDiskAreLoggedOnceItTakesWritesAgain) {
    const xbase::EngineApi& engine = library->Api();
    CallsSurvive([&] { engine.sx_SysProp(65111, 1000000); }, [&] { engine.sx_SysProp(65111, 0); },
                 "de map van het logboek is alleen-lezen.");
}

}  // namespace
}  // namespace monitor::testing
