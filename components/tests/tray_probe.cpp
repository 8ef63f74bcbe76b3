// Puts a tray icon with a menu up and prints what reaches it, one line each, for a check of the
// real tray under Xvfb (scripts/tray-xvfb-check).
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <cstdio>

#include "components/tray_icon.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto say = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    QMenu menu;
    menu.addAction(QStringLiteral("Monitor tonen"));
    menu.addAction(QStringLiteral("Instellingen"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Afsluiten"));
    QObject::connect(&menu, &QMenu::aboutToShow, [&] { say("menu open"); });

    TTrayIcon icon;
    icon.SetPopupMenu(&menu);
    icon.OnClick = [&](TTrayIcon*) { say("click"); };
    icon.OnDblClick = [&](TTrayIcon*) { say("double click"); };
    icon.OnRightClick = [&](TTrayIcon*, TMouseButton button, TShiftState shift, int x, int y) {
        say("right click " + std::to_string(button == mbRight) + " " + std::to_string(shift) + " " +
            std::to_string(x) + "," + std::to_string(y) +
            (menu.isVisible() ? " menu visible" : " menu hidden"));
    };
    icon.SetActive(true);
    icon.SetToolTip("Jan de Vries <b>3</b>");
    say(icon.Shown() ? "docked" : "no tray");
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
