#include "platform/os/qt_dbus_dde_service.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/os/dde_names.h"

// Every test runs inside a session bus of its own (dbus-run-session), read from outside with
// the bus's own tools while the event loop keeps the service answering.

namespace os {
namespace {

class QtCoreEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[8] = "ddetest";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};
::testing::Environment* const kApp = ::testing::AddGlobalTestEnvironment(new QtCoreEnvironment);

const std::string kName = "nl.belverin.belverin_test";

void Pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Runs a tool to its end while the service goes on answering; its standard output.
std::string RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForStarted(5000)) << program.toStdString();
    QElapsedTimer t;
    t.start();
    while (p.state() != QProcess::NotRunning && t.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        p.waitForFinished(10);
    }
    EXPECT_EQ(p.state(), QProcess::NotRunning) << "tool hung: " << program.toStdString();
    if (exitCode != nullptr) {
        *exitCode = p.exitCode();
    }
    return p.readAllStandardOutput().toStdString() + p.readAllStandardError().toStdString();
}

std::string Send(const QStringList& tail, int* exitCode = nullptr) {
    QStringList args{"--session", "--print-reply", "--dest=" + QString::fromStdString(kName),
                     "/ddebelverinserver"};
    args += tail;
    return RunTool("dbus-send", args, exitCode);
}

std::string GetProperty(const char* name) {
    return Send({"org.freedesktop.DBus.Properties.Get", "string:nl.belverin.ddebelverinserver",
                 QString("string:") + name});
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST(QtDbusDdeServiceTest, ServesTheNameAndBothPropertiesReadOnly) {
    QtDbusDdeService service;
    std::string reason;
    ASSERT_TRUE(service.Offer(kName, reason)) << reason;
    service.SetItems("000", "ddestart");

    const std::string owner =
        RunTool("dbus-send", {"--session", "--print-reply", "--dest=org.freedesktop.DBus",
                              "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                              QString::fromStdString("string:" + kName)});
    EXPECT_NE(owner.find("boolean true"), std::string::npos) << owner;

    EXPECT_NE(GetProperty("ddenummer").find("string \"000\""), std::string::npos);
    EXPECT_NE(GetProperty("ddenaam").find("string \"ddestart\""), std::string::npos);

    // Nobody else sets the items: neither as a property nor through a method.
    int code = 0;
    Send({"org.freedesktop.DBus.Properties.Set", "string:nl.belverin.ddebelverinserver",
          "string:ddenummer", "variant:string:666"},
         &code);
    EXPECT_NE(code, 0);
    Send({"nl.belverin.ddebelverinserver.SetItems", "string:1", "string:2"}, &code);
    EXPECT_NE(code, 0);
    EXPECT_EQ(service.ddenummer(), "000");
    EXPECT_NE(GetProperty("ddenummer").find("string \"000\""), std::string::npos);
}

TEST(QtDbusDdeServiceTest, LastCallerAnswersBothItemsInUtf8) {
    QtDbusDdeService service;
    std::string reason;
    ASSERT_TRUE(service.Offer(kName, reason)) << reason;
    service.SetItems("0301234567", "Zo\xc3\xab de Vries, , Dorpsstraat 1, 1234 AB, Ede");
    const std::string reply = Send({"nl.belverin.ddebelverinserver.LastCaller"});
    const auto first = reply.find("string \"0301234567\"");
    const auto second = reply.find("string \"Zo\xc3\xab de Vries, , Dorpsstraat 1, 1234 AB, Ede\"");
    ASSERT_NE(first, std::string::npos) << reply;
    ASSERT_NE(second, std::string::npos) << reply;
    EXPECT_LT(first, second);
}

TEST(QtDbusDdeServiceTest, EachSetItemsSignalsOnceWithBothValues) {
    QtDbusDdeService service;
    std::string reason;
    ASSERT_TRUE(service.Offer(kName, reason)) << reason;

    QProcess monitor;
    monitor.start("dbus-monitor", {"--session", "type='signal',path='/ddebelverinserver'"});
    ASSERT_TRUE(monitor.waitForStarted(5000));
    std::string seen;
    QElapsedTimer t;
    t.start();
    // The monitor says NameLost once it has become a monitor; from then on it sees all.
    while (seen.find("NameLost") == std::string::npos && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        monitor.waitForReadyRead(10);
        seen += monitor.readAllStandardOutput().toStdString();
    }
    ASSERT_NE(seen.find("NameLost"), std::string::npos) << seen;

    service.SetItems("0101", "Een");
    service.SetItems("0202", "Tw\xc3\xab\xc3\xab");
    t.restart();
    while (Count(seen, "member=PropertiesChanged") < 2 && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        monitor.waitForReadyRead(10);
        seen += monitor.readAllStandardOutput().toStdString();
    }
    Pump(200);
    seen += monitor.readAllStandardOutput().toStdString();
    monitor.kill();
    monitor.waitForFinished(2000);

    EXPECT_EQ(Count(seen, "member=CallerChanged"), 2) << seen;
    EXPECT_EQ(Count(seen, "member=PropertiesChanged"), 2) << seen;
    const auto first = seen.find("member=CallerChanged");
    const auto firstProps = seen.find("member=PropertiesChanged");
    const auto second = seen.find("member=CallerChanged", first + 1);
    ASSERT_NE(second, std::string::npos);
    // Each CallerChanged carries both values, and comes before its PropertiesChanged.
    EXPECT_LT(first, firstProps);
    EXPECT_LT(firstProps, second);
    const std::string one = seen.substr(first, firstProps - first);
    EXPECT_NE(one.find("string \"0101\""), std::string::npos) << one;
    EXPECT_NE(one.find("string \"Een\""), std::string::npos) << one;
    const std::string props = seen.substr(firstProps, second - firstProps);
    EXPECT_NE(props.find("string \"nl.belverin.ddebelverinserver\""), std::string::npos) << props;
    EXPECT_NE(props.find("string \"ddenaam\""), std::string::npos) << props;
    EXPECT_NE(seen.find("string \"Tw\xc3\xab\xc3\xab\"", second), std::string::npos) << seen;
}

TEST(QtDbusDdeServiceTest, ANameOwnedElsewhereIsRefusedWithItsReason) {
    QtDbusDdeService first;
    std::string reason;
    ASSERT_TRUE(first.Offer(kName, reason)) << reason;
    QtDbusDdeService second;
    EXPECT_FALSE(second.Offer(kName, reason));
    EXPECT_EQ(reason, "de naam " + kName + " is al in gebruik");
    // The refused one still keeps its items for the program; the first keeps the name.
    second.SetItems("1", "x");
    EXPECT_EQ(second.ddenummer(), "1");
    EXPECT_NE(GetProperty("ddenummer").find("string \"\""), std::string::npos);
}

TEST(QtDbusDdeServiceTest, NoBusIsRefusedWithoutWaiting) {
    const std::string saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/belverin-bus", 1);
    QElapsedTimer t;
    t.start();
    {
        QtDbusDdeService service;
        std::string reason;
        EXPECT_FALSE(service.Offer(kName, reason));
        EXPECT_EQ(reason.rfind("geen verbinding met de sessiebus", 0), 0u) << reason;
        service.SetItems("1", "x");
        EXPECT_EQ(service.ddenaam(), "x");
    }
    EXPECT_LT(t.elapsed(), 3000);
    setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
}

}  // namespace
}  // namespace os
