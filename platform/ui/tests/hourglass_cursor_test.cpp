#include "platform/ui/hourglass_cursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <stdexcept>

#include <gtest/gtest.h>

namespace ui {
namespace {

bool Hourglass() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c != nullptr && c->shape() == Qt::WaitCursor;
}

TEST(HourglassCursor, ScopedNestedAndOnExceptions) {
    ASSERT_FALSE(Hourglass());
    {
        HourglassCursor outer;
        EXPECT_TRUE(Hourglass());
        {
            HourglassCursor inner;
            EXPECT_TRUE(Hourglass());
        }
        EXPECT_TRUE(Hourglass()) << "the inner scope ended the outer one";
    }
    EXPECT_FALSE(Hourglass());
    try {
        HourglassCursor c;
        throw std::runtime_error("x");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace ui
