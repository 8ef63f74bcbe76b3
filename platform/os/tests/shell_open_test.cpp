#include "platform/os/shell_open.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> seen;
  public slots:
    void Open(const QUrl& url) { seen.push_back(url); }
};

TEST(ShellOpen, HandsLinksAndFilesToTheDesktop) {
    int argc = 1;
    char name[] = "os_shell_tests";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "mailto", "tel", "file"}) {
        QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
    }
    EXPECT_TRUE(os::ShellOpen("https://example.org/a b"));
    EXPECT_TRUE(os::ShellOpen("mailto:iemand@example.org"));
    EXPECT_TRUE(os::ShellOpen("/tmp/een map/../brief.txt"));
    EXPECT_FALSE(os::ShellOpen(""));
    ASSERT_EQ(catcher.seen.size(), 3);
    EXPECT_EQ(catcher.seen[0].toString().toStdString(), "https://example.org/a b");
    EXPECT_EQ(catcher.seen[1].toString().toStdString(), "mailto:iemand@example.org");
    EXPECT_EQ(catcher.seen[2].toLocalFile().toStdString(), "/tmp/brief.txt");
    for (const char* scheme : {"http", "https", "mailto", "tel", "file"}) {
        QDesktopServices::unsetUrlHandler(scheme);
    }
}

}  // namespace

#include "shell_open_test.moc"
