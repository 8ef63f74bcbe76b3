#include "platform/os/desktop_dialer.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include <gtest/gtest.h>

#include "platform/os/recording_dialer.h"

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> seen;
  public slots:
    void Open(const QUrl& url) { seen.push_back(url); }
};

TEST(TelLink, EncodesWhatALinkCannotHold) {
    struct Case {
        const char* destination;
        const char* link;
    };
    const Case cases[] = {
        {"0201234567", "tel:0201234567"},
        {"0,0201234567", "tel:0,0201234567"},
        {"+31 20 1234567", "tel:+31%2020%201234567"},
        {"020 123#45", "tel:020%20123%2345"},
        {"12%34", "tel:12%2534"},
        {"--", "tel:--"},
        {"é1", "tel:%C3%A91"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(os::TelLink(c.destination), c.link) << c.destination;
    }
}

TEST(DesktopDialer, OpensTheLinkAndDropsWhatItCannotCarry) {
    int argc = 1;
    char name[] = "os_dialer_tests";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("tel", &catcher, "Open");

    os::DesktopDialer dialer;
    EXPECT_EQ(dialer.RequestMakeCall("0 20 1234567", "", "Jansen", "opmerking"), 0);
    EXPECT_EQ(dialer.RequestMakeCall("", "", "Jansen", ""), 1);
    ASSERT_EQ(catcher.seen.size(), 1);
    EXPECT_EQ(catcher.seen[0].scheme().toStdString(), "tel");
    EXPECT_EQ(catcher.seen[0].path().toStdString(), "0 20 1234567");
    QDesktopServices::unsetUrlHandler("tel");

    // The program's dialler is the desktop's until a test installs its own.
    os::RecordingDialer fake;
    EXPECT_EQ(os::SetDialer(&fake), nullptr);
    EXPECT_EQ(&os::dialer(), &fake);
    EXPECT_EQ(os::SetDialer(nullptr), &fake);
    EXPECT_NE(dynamic_cast<os::DesktopDialer*>(&os::dialer()), nullptr);
}

}  // namespace

#include "desktop_dialer_test.moc"
