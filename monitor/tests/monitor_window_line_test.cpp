#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "capi/capi_monitor.h"
#include "monitor/monitor_window.h"
#include "monitor/settings.h"
#include "platform/os/recording_dde_service.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace monitor {
namespace {

namespace fs = std::filesystem;

bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QTest::qWait(10);
    }
    return done();
}

TEST(MonitorWindowLineTest, OpenLineShowsTheLinesStateInTheCaption) {
    const struct {
        const char* name;
        int kaartnummer;
        bool ok;
    } cases[] = {{"controller 1", 1, true}, {"no controller 2", 2, false}};
    for (const auto& c : cases) {
        const fs::path ini =
            fs::temp_directory_path() / ("belvo-line-" + std::to_string(::getpid()) + ".ini");
        std::ofstream(ini) << "[capi]\nkaartnummer=" << c.kaartnummer << "\nafwijstijd=30\n";
        rtl::TIniFile belvo(ini.string());
        ui::ScriptedDialogs dialogs;
        os::RecordingDdeService dde;
        instellingen = Instellingen{};
        std::vector<std::string> splash;
        {
            TForm1 f({belvo, dde, "/x/belverin", nullptr});
            f.OnSplashStep = [&](const std::string& s) { splash.push_back(s); };
            f.FormCreate();
            f.OpenLine();
            EXPECT_EQ(splash, std::vector<std::string>{"Capi laden "});
            EXPECT_EQ(f.Belverin1().Controller(), c.kaartnummer);
            EXPECT_EQ(f.Belverin1().RejectTimeOut(), 30);
            if (c.ok) {
                EXPECT_TRUE(PumpUntil([&] { return f.Caption() == "Capi Status: OK"; }))
                    << f.Caption();
            } else {
                // The refused listen arrives as a state change with the line's own text.
                EXPECT_TRUE(PumpUntil([&] {
                    return f.Caption() != "ISDN Belverin" && f.Caption() != "Capi Status: OK";
                })) << f.Caption();
                EXPECT_EQ(f.Caption(), "Capi Status: " + f.Belverin1().ErrorString());
            }
        }
        fs::remove(ini);
    }
}

}  // namespace
}  // namespace monitor
