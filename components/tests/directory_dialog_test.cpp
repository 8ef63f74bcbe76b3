#include "components/directory_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "platform/rtl/exception.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace {

namespace fs = std::filesystem;

TabcsfDirectoryDialog* OpenChooser() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* d = qobject_cast<TabcsfDirectoryDialog*>(w); d && d->isVisible()) {
            return d;
        }
    }
    return nullptr;
}

// Runs `steps` on the chooser once Execute shows it; each step gets the open chooser.
void Drive(std::vector<std::function<void(TabcsfDirectoryDialog&)>> steps) {
    QTimer::singleShot(0, [steps = std::move(steps)] {
        TabcsfDirectoryDialog* d = OpenChooser();
        ASSERT_NE(d, nullptr);
        for (const auto& step : steps) {
            if (d->isVisible()) {
                step(*d);
            }
        }
        if (d->isVisible()) {
            d->reject();
        }
    });
}

class DirectoryChooser : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("dirchooser-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root / "bestaat");
    }
    void TearDown() override { fs::remove_all(root); }
    fs::path root;
    ui::ScriptedDialogs dialogs;
};

TEST_F(DirectoryChooser, MissingFolderWarnsAndStaysOpen) {
    TDirectoryDialog chooser;
    chooser.SetDirEditStyle(desEdit);  // defaults otherwise: the folder must exist
    const std::string missing = (root / "ontbreekt").string();
    bool stayedOpen = false;
    Drive({[&](TabcsfDirectoryDialog& d) {
        d.edDir->setText(QString::fromStdString(missing));
        d.btnOKClick();
        stayedOpen = d.isVisible();
    }});
    EXPECT_FALSE(chooser.Execute());
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, DirectoryMessage(kMsgPathMissing, missing));
    EXPECT_EQ(dialogs.shown()[0].type, ui::MsgDlgType::Warning);
    EXPECT_TRUE(chooser.Directory.empty());
}

TEST_F(DirectoryChooser, CancelLeavesDirectory) {
    TDirectoryDialog chooser;
    chooser.Directory = (root / "bestaat").string();
    Drive({[&](TabcsfDirectoryDialog& d) { d.SetFolder(root.string()); }});
    EXPECT_FALSE(chooser.Execute());
    EXPECT_EQ(chooser.Directory, (root / "bestaat").string());
    EXPECT_EQ(chooser.HistoryList().Count(), 0);
}

TEST_F(DirectoryChooser, MissingDirectoryOpensOnCurrentFolder) {
    TDirectoryDialog chooser;
    chooser.Directory = (root / "weg").string();
    std::string shown;
    Drive({[&](TabcsfDirectoryDialog& d) { shown = d.Folder(); }});
    EXPECT_FALSE(chooser.Execute());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].type, ui::MsgDlgType::Error);
    EXPECT_NE(dialogs.shown()[0].text.find((root / "weg").string()), std::string::npos);
    EXPECT_EQ(shown, fs::current_path().string());
}

TEST_F(DirectoryChooser, ChosenFolderComesBackWholeAndFirstInHistory) {
    // Longer than any label could show.
    fs::path deep = root;
    for (int i = 0; i < 6; ++i) {
        deep /= std::string(40, static_cast<char>('a' + i));
    }
    fs::create_directories(deep);
    TDirectoryDialog chooser;
    rtl::TStringList history;
    history.Add("/elders");
    history.Add(deep.string());
    chooser.SetHistoryList(history);
    chooser.Directory = root.string();
    Drive({[&](TabcsfDirectoryDialog& d) {
        ASSERT_TRUE(d.SetFolder(deep.string()));
        d.btnOKClick();
    }});
    EXPECT_TRUE(chooser.Execute());
    EXPECT_EQ(chooser.Directory, deep.string());
    EXPECT_EQ(chooser.HistoryList().Items(), (std::vector<std::string>{deep.string(), "/elders"}));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(DirectoryChooser, CreateMakesEveryLevel) {
    TDirectoryDialog chooser;
    chooser.SetOptions({doCreate});
    chooser.SetDirEditStyle(desEdit);
    const fs::path target = root / "een" / "twee" / "drie";
    Drive({[&](TabcsfDirectoryDialog& d) {
        d.edDir->setText(QString::fromStdString(target.string()));
        d.btnOKClick();
    }});
    EXPECT_TRUE(chooser.Execute());
    EXPECT_EQ(chooser.Directory, target.string());
    EXPECT_TRUE(fs::is_directory(target));
}

TEST_F(DirectoryChooser, FailedCreateReachesTheCaller) {
    // A file where a level must go: no one can make the folder below it.
    { std::ofstream(root / "bestand") << "x"; }
    TDirectoryDialog chooser;
    chooser.SetOptions({doCreate});
    chooser.SetDirEditStyle(desEdit);
    const fs::path target = root / "bestand" / "map";
    Drive({[&](TabcsfDirectoryDialog& d) {
        d.edDir->setText(QString::fromStdString(target.string()));
        d.btnOKClick();
    }});
    EXPECT_THROW(chooser.Execute(), rtl::EInOutError);
    EXPECT_TRUE(chooser.Directory.empty());
    EXPECT_EQ(OpenChooser(), nullptr);
}

TEST_F(DirectoryChooser, InvalidTypedPathStaysOpenWithItsError) {
    TDirectoryDialog chooser;
    chooser.SetDirEditStyle(desEdit);
    Drive({[&](TabcsfDirectoryDialog& d) {
        d.edDir->setText(QString::fromStdString(root.string() + "//x"));
        d.btnOKClick();
    }});
    EXPECT_FALSE(chooser.Execute());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, DirectoryMessage(kMsgInvalidName, root.string() + "//x"));
    EXPECT_EQ(dialogs.shown()[0].type, ui::MsgDlgType::Error);
}

}  // namespace
