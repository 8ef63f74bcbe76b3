#include "monitor/ftest.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "monitor/fabout.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/recording_help.h"
#include "platform/ui/tests/text_fit.h"

namespace monitor {
namespace {

namespace fs = std::filesystem;

using Call = std::tuple<std::string, std::string, std::uint16_t, std::string, bool>;

class TestFormTest : public ::testing::Test {
  protected:
    TestFormTest()
        : path_(fs::temp_directory_path() /
                ("belvo-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini")),
          ini_(path_.string()) {}
    ~TestFormTest() override {
        if (Tftest::Instance() != nullptr) {
            delete Tftest::Instance();
        }
        fs::remove(path_);
    }
    Tftest& Open(const std::string& file) {
        std::ofstream(path_) << file;
        return *Tftest::Open([this](const std::string& n, const std::string& m, std::uint16_t cip,
                                    const std::string& text,
                                    bool sim) { calls_.emplace_back(n, m, cip, text, sim); },
                             ini_);
    }

    fs::path path_;
    rtl::TIniFile ini_;
    std::vector<Call> calls_;
};

TEST_F(TestFormTest, EachLabelSendsItsNumberToTheChosenOwnNumber) {
    Tftest& f = Open("[test]\neigennr=5550001\n1=0101\n2=0202\n3=0303\n5=0505\n");
    const struct {
        int label;
        Call expected;
    } cases[] = {
        {1, {"0101", "5550001", 1, "test 1", true}}, {2, {"0202", "5550001", 1, "test 2", true}},
        {3, {"0303", "5550001", 1, "test 3", true}}, {4, {"", "5550001", 1, "test 4", true}},
        {5, {"0505", "5550001", 1, "test 5", true}},
    };
    for (const auto& c : cases) {
        calls_.clear();
        QTest::mouseClick(f.l[static_cast<std::size_t>(c.label - 1)], Qt::LeftButton);
        ASSERT_EQ(calls_.size(), 1u) << c.label;
        EXPECT_EQ(calls_[0], c.expected) << c.label;
    }
    EXPECT_EQ(f.l[3]->text(), "4 Nummer heeft geen nummerherkenning");
}

TEST_F(TestFormTest, OwnNumbersFromTheMsnsAndTheSample) {
    Tftest& f = Open("[msn0]\nnummer=5551111\n[msn3]\nnummer=5553333\n");
    QStringList items;
    for (int i = 0; i < f.cob1->count(); ++i) {
        items << f.cob1->itemText(i);
    }
    EXPECT_EQ(items.join(",").toStdString(),
              "5551111,0000000,0000000,5553333,0000000,0000000,0000000,0000000,0000000,"
              "0000000,5551234");
    EXPECT_EQ(f.cob1->currentText(), "5551234");
    EXPECT_EQ(f.e1->text(), "0301234567");
    EXPECT_EQ(f.e5->text(), "0401234567");
}

TEST_F(TestFormTest, ClosingKeepsTheNumbersAndFreesTheForm) {
    Tftest& f = Open("");
    f.cob1->setEditText("5559999");
    f.e1->setText("011");
    f.e2->setText("022");
    f.e3->setText("033");
    f.e5->setText("055");
    f.close();
    QTest::qWait(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Tftest::Instance(), nullptr);
    const rtl::TIniFile ini(path_.string());
    EXPECT_EQ(ini.ReadString("test", "eigennr", ""), "5559999");
    EXPECT_EQ(ini.ReadString("test", "1", ""), "011");
    EXPECT_EQ(ini.ReadString("test", "2", ""), "022");
    EXPECT_EQ(ini.ReadString("test", "3", ""), "033");
    EXPECT_EQ(ini.ReadString("test", "5", ""), "055");
}

TEST(AboutBoxTest, VersionLineLinkAndHelp) {
    std::vector<std::string> opened;
    TfAbout::SetOpener([&](const std::string& target) {
        opened.push_back(target);
        return true;
    });
    ui::RecordingHelp help;
    TfAbout& box = *TfAbout::Open();
    const std::string line = box.Label1->text().toStdString();
    EXPECT_EQ(line.rfind("Versie: ", 0), 0u) << line;
    EXPECT_NE(line.find("  ("), std::string::npos) << line;
    EXPECT_EQ(line.back(), ')');
    EXPECT_EQ(line, TfAbout::VersieRegel());
    EXPECT_EQ(box.Caption(), "Info");
    EXPECT_EQ(box.HelpContext(), 450);

    QTest::mouseClick(box.Label2, Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<std::string>{kWebAdres});
    QTest::mouseClick(box.bMeerInfo, Qt::LeftButton);
    EXPECT_EQ(help.contexts, std::vector<int>{450});
    QTest::mouseClick(box.bClose, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(TfAbout::Instance(), nullptr);
    TfAbout::SetOpener(nullptr);
}

// A mouse move as the window system delivers it: to the widget under the mouse, passed on to
// its parents while not taken.
void MoveMouseOver(QWidget* widget, QPointF local = {}) {
    if (local.isNull()) {
        local = QPointF(widget->width() / 2.0, widget->height() / 2.0);
    }
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

TEST(AboutBoxTest, OpensCentredAndTheLinkTurnsRedUnderTheMouse) {
    TfAbout& box = *TfAbout::Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint middle = box.frameGeometry().center();
    EXPECT_LE(std::abs(middle.x() - area.center().x()), 1) << middle.x();
    EXPECT_LE(std::abs(middle.y() - area.center().y()), 1) << middle.y();

    EXPECT_TRUE(ui::testing::CutLabelsAndButtons(box).empty())
        << ::testing::PrintToString(ui::testing::CutLabelsAndButtons(box));

    auto linkColour = [&] { return box.Label2->palette().color(QPalette::WindowText); };
    EXPECT_EQ(linkColour(), QColor(Qt::black));
    MoveMouseOver(box.Label2);
    EXPECT_EQ(linkColour(), QColor(Qt::red));  // $0000FF
    MoveMouseOver(&box, QPointF(2, 2));        // in the box's margin
    EXPECT_EQ(linkColour(), QColor(Qt::black)) << "over the form";
    MoveMouseOver(box.Label2);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(box.Label2, &leave);
    EXPECT_EQ(linkColour(), QColor(Qt::black)) << "off the link";
    box.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace monitor
