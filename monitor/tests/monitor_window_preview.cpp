// Saves pictures of the monitor window after test 1, of the test form and of the about box
// (alone and over the screen), for a person to look at; the road runs on recording ports with one
// phone-book entry. Not run by ctest.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "monitor/call_road.h"
#include "monitor/fabout.h"
#include "monitor/ftest.h"
#include "monitor/monitor_window.h"
#include "monitor/settings.h"
#include "monitor/tests/road_doubles.h"
#include "platform/os/recording_dde_service.h"
#include "platform/rtl/ini_file.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string out = argc > 1 ? argv[1] : ".";
    const std::string iniPath = out + "/belvo.ini";
    std::ofstream(iniPath) << "[msn0]\nnummer=5551234\n[test]\neigennr=5551234\n";
    rtl::TIniFile belvo(iniPath);

    using namespace monitor;
    instellingen = Instellingen{};
    instellingen.msninstellingen[0].nummer = "5551234";
    instellingen.msninstellingen[0].naam = "Thuis";
    instellingen.msninstellingen[0].kleur = 0xE0F8FF;  // light yellow, $00BBGGRR
    instellingen.msninstellingen[0].font = 0x400040;
    instellingen.monitorpopuptijd = 999;
    instellingen.DDE = true;

    os::RecordingDdeService dde;
    TForm1 form({belvo, dde, "/opt/belverin/belverin", nullptr});
    form.FormCreate();

    testing::RoadDoubles d;
    KlapperTreffer jan;
    jan.voornaam = "Jan";
    jan.naam = "Jansen";
    jan.straat = "Dorpsstraat 1";
    jan.postcode = "1234 AB";
    jan.plaats = "Ede";
    jan.kleur = "wit";
    jan.tijd = "0000000000";
    d.entries["0301234567"] = jan;
    CallRoad road(RoadPorts{d, d, d, d, d, d, d, d, d, form, form, d});
    road.RiduZevovIzuzedi1StateChange(false, true);
    road.IncomingCall("0301234567", "5551234", 1, "test 1", true);
    d.Settle();

    auto* test = Tftest::Open(
        [](const std::string&, const std::string&, std::uint16_t, const std::string&, bool) {},
        belvo);
    test->move(600, 0);
    QTimer::singleShot(500, [&] {
        form.grab().save(QString::fromStdString(out + "/monitor_after_test1.png"));
        test->grab().save(QString::fromStdString(out + "/test_form.png"));
        test->close();
        form.hide();
        TfAbout::Open();
    });
    // The about box where it opens, over the whole screen.
    QTimer::singleShot(1000, [&] {
        if (TfAbout* about = TfAbout::Instance()) {
            about->grab().save(QString::fromStdString(out + "/about_box.png"));
        }
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            screen->grabWindow(0).save(QString::fromStdString(out + "/about_screen.png"));
        }
        app.quit();
    });
    return app.exec();
}
