#include "components/single_instance.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDialog>
#include <QLocalSocket>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "platform/os/tests/child_pipe.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr char kStop[] = "Er kan maar 1 versie van Belverin draaien.";

class PrivateFolder {
  public:
    PrivateFolder() {
        std::string tmpl = (fs::temp_directory_path() / "guard-test-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~PrivateFolder() { fs::remove_all(path_); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

class SingleInstanceTest : public ::testing::Test {
  protected:
    os::InstanceFolders Folders() const { return {runtime.Path(), "/nonexistent"}; }
    PrivateFolder runtime;
    ui::ScriptedDialogs boxes;
};

TEST_F(SingleInstanceTest, FirstCopyListensAndShowsNothing) {
    TSingleInstance first("Belverin", nullptr, Folders());
    first.StopMsg = kStop;
    EXPECT_TRUE(first.IsFirst());
    EXPECT_TRUE(first.Listening());
    EXPECT_FALSE(first.Loaded());
    EXPECT_TRUE(boxes.shown().empty());
    struct stat st {};
    ASSERT_EQ(::stat(first.Lock().SocketPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << "the socket is the user's alone";
}

TEST_F(SingleInstanceTest, RequestRestoresMinimisedWindowAndRaisesModalDialog) {
    TSingleInstance first("Belverin", nullptr, Folders());
    ASSERT_TRUE(first.Listening());
    QWidget monitor;
    monitor.show();
    monitor.showMinimized();
    QWidget hidden;
    hidden.hide();
    QDialog settings;
    settings.setModal(true);
    settings.show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(monitor.isMinimized());

    std::atomic<int> answered{-1};
    std::thread second([&] { answered = SendActivate(first.Lock().SocketPath(), 2s) ? 1 : 0; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answered >= 0; }, 5000));
    second.join();
    EXPECT_EQ(answered, 1);
    EXPECT_FALSE(monitor.isMinimized());
    EXPECT_TRUE(monitor.isVisible());
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &settings; }, 2000));
}

TEST_F(SingleInstanceTest, SecondCopyInThisProcessBoxesAndEnds) {
    TSingleInstance first("Belverin", nullptr, Folders());
    int requests = 0;
    first.OnActivate = [&] { ++requests; };

    struct Case {
        std::string stop;
        bool activate;
    };
    for (const Case& c : {Case{kStop, false}, Case{"", false}}) {
        ui::ScriptedDialogs local;
        TSingleInstance second("Belverin", nullptr, Folders());
        second.StopMsg = c.stop;
        second.Activate = c.activate;
        EXPECT_FALSE(second.IsFirst());
        EXPECT_FALSE(second.Listening());
        EXPECT_TRUE(second.Loaded());
        if (c.stop.empty()) {
            EXPECT_TRUE(local.shown().empty());
        } else {
            ASSERT_EQ(local.shown().size(), 1u);
            EXPECT_EQ(local.shown()[0].text, kStop);
            EXPECT_EQ(local.shown()[0].caption, "Belverin");
            EXPECT_EQ(local.shown()[0].type, ui::MsgDlgType::Warning);
            EXPECT_EQ(local.shown()[0].buttons, unsigned{ui::mbOK});
        }
    }
    QTest::qWait(200);
    EXPECT_EQ(requests, 0) << "Activate false asks nothing of the first copy";

    // The first copy is still there and answers.
    std::atomic<int> answered{-1};
    std::thread third([&] { answered = SendActivate(first.Lock().SocketPath(), 2s) ? 1 : 0; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answered >= 0; }, 5000));
    third.join();
    EXPECT_EQ(requests, 1);
}

// Another session (its own runtime folder) running from the same program folder is a second
// copy all the same; from another program folder it is not.
TEST_F(SingleInstanceTest, OneCopyPerProgramFolderWhateverTheRuntimeFolder) {
    PrivateFolder program;
    PrivateFolder otherProgram;
    PrivateFolder otherRuntime;
    TSingleInstance first("Belverin", nullptr, Folders(), program.Path());
    ASSERT_TRUE(first.IsFirst()) << first.Lock().Reason();
    EXPECT_TRUE(first.Listening());
    int requests = 0;
    first.OnActivate = [&] { ++requests; };
    {
        TSingleInstance second("Belverin", nullptr, {otherRuntime.Path(), "/nonexistent"},
                               program.Path());
        second.StopMsg = kStop;
        EXPECT_FALSE(second.IsFirst());
        EXPECT_FALSE(second.Listening());
        EXPECT_TRUE(second.Loaded());
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, kStop);
        EXPECT_EQ(boxes.shown()[0].type, ui::MsgDlgType::Warning);
    }
    TSingleInstance elsewhere("Belverin", nullptr, {otherRuntime.Path(), "/nonexistent"},
                              otherProgram.Path());
    EXPECT_TRUE(elsewhere.IsFirst());
    EXPECT_FALSE(elsewhere.Loaded());
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(requests, 0);
}

TEST_F(SingleInstanceTest, ForeignBytesOnTheSocketActivateNothing) {
    TSingleInstance first("Belverin", nullptr, Folders());
    int requests = 0;
    first.OnActivate = [&] { ++requests; };
    QLocalSocket stranger;
    stranger.connectToServer(QString::fromStdString(first.Lock().SocketPath()));
    ASSERT_TRUE(stranger.waitForConnected(1000));
    stranger.write(QByteArray(200, 'x'));
    stranger.flush();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return stranger.state() == QLocalSocket::UnconnectedState; }, 3000));
    EXPECT_EQ(requests, 0);
}

TEST_F(SingleInstanceTest, FailedClaimSaysWhatFailedAndEnds) {
    PrivateFolder parent;
    const std::string own = parent.Path() + "/belverin-" + std::to_string(::getuid());
    fs::create_directory(own);
    ::chmod(own.c_str(), 0755);
    TSingleInstance guard("Belverin", nullptr, {"", parent.Path()});
    guard.StopMsg = kStop;
    EXPECT_FALSE(guard.IsFirst());
    EXPECT_TRUE(guard.Loaded());
    ASSERT_EQ(boxes.shown().size(), 1u);
    const auto& box = boxes.shown()[0];
    EXPECT_EQ(box.text.rfind("Belverin kan niet starten: ", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(own), std::string::npos) << box.text;
    EXPECT_EQ(box.type, ui::MsgDlgType::Error);
}

// Real processes with one private runtime folder.
class SingleInstanceProcesses : public ::testing::Test {
  protected:
    std::unique_ptr<os::testing::ChildPipe> Start(bool activate, const std::string& stop = kStop,
                                                  const std::string& title = "Belverin") {
        return std::make_unique<os::testing::ChildPipe>(
            std::vector<std::string>{BELVERIN_GUARD_PROBE, title, activate ? "1" : "0",
                                     "/nonexistent", stop},
            std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime.Path()},
                                               {"QT_QPA_PLATFORM", "offscreen"}});
    }
    static void ExpectFirst(os::testing::ChildPipe& copy) {
        EXPECT_EQ(copy.ReadLine(), "first");
        EXPECT_EQ(copy.ReadLine(), "listening");
    }
    PrivateFolder runtime;
};

TEST_F(SingleInstanceProcesses, SecondCopyBoxesActivatesTheFirstAndEndsWithZero) {
    auto first = Start(true);
    ExpectFirst(*first);
    auto second = Start(true);
    EXPECT_EQ(second->ReadLine(), std::string("box Belverin|") + kStop);
    EXPECT_EQ(second->ReadLine(), "end");
    EXPECT_EQ(second->Wait(), 0);
    EXPECT_EQ(first->ReadLine(), "activated");

    auto quiet = Start(true, "");
    EXPECT_EQ(quiet->ReadLine(), "end");
    EXPECT_EQ(quiet->Wait(), 0);
    EXPECT_EQ(first->ReadLine(), "activated");

    auto other = Start(true, kStop, "Belverin setup");
    ExpectFirst(*other);
}

TEST_F(SingleInstanceProcesses, StartAfterKillReplacesTheStaleSocket) {
    auto first = Start(true);
    ExpectFirst(*first);
    first->Signal(SIGKILL);
    first->Wait();

    auto again = Start(true);
    ExpectFirst(*again);
    auto second = Start(true, "");
    EXPECT_EQ(second->ReadLine(), "end");
    EXPECT_EQ(second->Wait(), 0);
    EXPECT_EQ(again->ReadLine(), "activated");
}

TEST_F(SingleInstanceProcesses, SecondCopyEndsWhileTheFirstIsStopped) {
    auto first = Start(true);
    ExpectFirst(*first);
    first->Signal(SIGSTOP);
    const auto begin = std::chrono::steady_clock::now();
    auto second = Start(true, "");
    EXPECT_EQ(second->ReadLine(), "end");
    EXPECT_EQ(second->Wait(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 5s);
    first->Signal(SIGCONT);
}

}  // namespace
