#include "components/directory_dialog.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
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

TEST_F(DirectoryChooser, TreeReachesAndShowsTheStartingFolder) {
    // Away from the temporary folder: others change it all the time, and each re-read there
    // would move the tree by chance.
    fs::remove_all(root);
    root = fs::current_path() / root.filename();
    // Enough folders sorted before it that the tree must scroll once it has read them all.
    const fs::path parent = root / "een" / "twee" / "drie";
    for (int i = 0; i < 60; ++i) {
        fs::create_directories(parent / ("m" + std::to_string(100 + i)));
    }
    const fs::path deep = parent / "zz";
    fs::create_directories(deep);
    TDirectoryDialog chooser;
    chooser.Directory = deep.string();
    bool shown = false;
    std::string current;
    std::vector<std::string> collapsed;
    bool scrolledBack = true;
    Drive({[&](TabcsfDirectoryDialog& d) {
        QTreeView* tree = d.DirectoryListBox1;
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        ASSERT_NE(model, nullptr);
        const QModelIndex top = model->index(QString::fromStdString(parent.string()));
        const QPersistentModelIndex zz = model->index(QString::fromStdString(deep.string()));
        const auto folders = static_cast<int>(
            std::distance(fs::directory_iterator(parent), fs::directory_iterator()));
        // Read and sorted: "zz" has come last among its siblings.
        shown = QTest::qWaitFor(
            [&] {
                const QModelIndex at = tree->currentIndex();
                return model->rowCount(top) == folders && zz.row() == folders - 1 && at.isValid() &&
                       tree->viewport()->rect().contains(tree->visualRect(at));
            },
            5000);
        current = model->filePath(tree->currentIndex()).toStdString();
        for (QModelIndex up = tree->currentIndex().parent(); up.isValid(); up = up.parent()) {
            if (!tree->isExpanded(up)) {
                collapsed.push_back(model->filePath(up).toStdString());
            }
        }
        // Once the user scrolls and opens another folder, the tree stays where they put it.
        const QString other = QString::fromStdString((parent / "m100").string());
        bool otherRead = false;
        QObject::connect(model, &QFileSystemModel::directoryLoaded, tree,
                         [&](const QString& path) { otherRead = otherRead || path == other; });
        tree->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        tree->expand(model->index(other));
        EXPECT_TRUE(QTest::qWaitFor([&] { return otherRead; }, 5000));
        QTest::qWait(100);
        scrolledBack = tree->verticalScrollBar()->value() != 0;
    }});
    EXPECT_FALSE(chooser.Execute());
    EXPECT_TRUE(shown);
    EXPECT_EQ(current, deep.string());
    EXPECT_EQ(collapsed, std::vector<std::string>{});
    EXPECT_FALSE(scrolledBack);
}

}  // namespace
