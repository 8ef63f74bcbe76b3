#include "platform/ui/colors.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include "platform/ui/qt_test_app.h"

namespace ui {
namespace {

TEST(Colors, OwnColoursAreBlueGreenRed) {
    struct Case {
        TColor color;
        QColor expected;
    };
    const Case cases[] = {
        {0x000000, QColor(0, 0, 0)},          {0x0000FF, QColor(255, 0, 0)},
        {0x00FF00, QColor(0, 255, 0)},        {0xFF0000, QColor(0, 0, 255)},
        {0x400040, QColor(64, 0, 64)},        {16777215, QColor(255, 255, 255)},
        {0x123456, QColor(0x56, 0x34, 0x12)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ColorToQColor(c.color), c.expected) << c.color;
        EXPECT_EQ(QColorToColor(c.expected), c.color) << c.color;
    }
    // a colour with some transparency keeps its colour
    EXPECT_EQ(QColorToColor(QColor(1, 2, 3, 128)), 0x030201);
    // the high byte of a Windows palette reference does not disturb the colour
    EXPECT_EQ(ColorToQColor(0x02123456), QColor(0x56, 0x34, 0x12));
}

TEST(Colors, SystemColoursFollowThePalette) {
    const QPalette saved = QApplication::palette();
    QPalette p = saved;
    p.setColor(QPalette::Active, QPalette::Button, QColor(0x10, 0x20, 0x30));
    p.setColor(QPalette::Active, QPalette::Text, QColor(0x40, 0x50, 0x60));
    p.setColor(QPalette::Active, QPalette::Highlight, QColor(0x70, 0x80, 0x90));
    p.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(0xA0, 0xB0, 0xC0));
    QApplication::setPalette(p);

    EXPECT_EQ(clBtnFace, -2147483633);
    EXPECT_EQ(ColorToQColor(clBtnFace), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(ColorToQColor(clWindowText), QColor(0x40, 0x50, 0x60));
    EXPECT_EQ(ColorToQColor(clHighlight), QColor(0x70, 0x80, 0x90));
    EXPECT_EQ(ColorToQColor(clInfoBk), QColor(0xA0, 0xB0, 0xC0));
    // back from Qt a system colour is its present value
    EXPECT_EQ(QColorToColor(ColorToQColor(clBtnFace)), 0x302010);
    EXPECT_FALSE(ColorToQColor(SystemColor(99)).isValid());
    QApplication::setPalette(saved);
}

TEST(Colors, Markers) {
    EXPECT_EQ(ColorToQColor(clNone).alpha(), 0);
    EXPECT_EQ(QColorToColor(ColorToQColor(clNone)), clNone);
    EXPECT_FALSE(ColorToQColor(clDefault).isValid());
    EXPECT_EQ(QColorToColor(QColor()), clDefault);
}

}  // namespace
}  // namespace ui
