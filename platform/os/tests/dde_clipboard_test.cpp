#include "platform/os/dde_clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <memory>

namespace os {
namespace {

class GuiEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QGuiApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[8] = "cliptst";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};
::testing::Environment* const kApp = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

TEST(DdeClipboardTest, TheLastItemPutStaysWithItsTextAndLink) {
    ASSERT_TRUE(PutDdeItemOnClipboard("nl.belverin.belverin", "ddenummer", "0301234567"));
    ASSERT_TRUE(PutDdeItemOnClipboard("nl.belverin.belverin", "ddenaam", "Zo\xc3\xab, Ede"));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text().toStdString(), "Zo\xc3\xab, Ede");
    EXPECT_EQ(data->data("application/x-belverin-dde-link").toStdString(),
              "nl.belverin.belverin\n/ddebelverinserver\nddenaam");

    ASSERT_TRUE(PutTextOnClipboard("alleen tekst"));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "alleen tekst");
    EXPECT_FALSE(
        QGuiApplication::clipboard()->mimeData()->hasFormat("application/x-belverin-dde-link"));
}

}  // namespace
}  // namespace os
