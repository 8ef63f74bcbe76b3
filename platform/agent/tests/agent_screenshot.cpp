// Shows the character for a screenshot: "balloon" puts Robby in the bottom-right corner over
// another window, greeting; "chooser" opens the default-character chooser. Runs until killed.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTextEdit>
#include <QTimer>
#include <string>

#include "platform/agent/qt_agent_control.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string what = argc > 1 ? argv[1] : "balloon";
    QMainWindow other;
    other.setWindowTitle(QStringLiteral("Belverin"));
    auto* text = new QTextEdit(&other);
    text->setPlainText(
        QStringLiteral("2024-05-01 10:12  0201234567  Jan Jansen\n"
                       "2024-05-01 10:40  0612345678  onbekend"));
    other.setCentralWidget(text);
    other.setGeometry(560, 380, 460, 380);
    other.show();

    agent::QtAgentOptions options;
    // Silent, and time stands still, so the balloon stays for the picture.
    options.espeak.searchPath = "/nonexistent";
    options.manualTime = true;
    agent::QtAgentControl control(std::move(options));
    QTimer still;
    QObject::connect(&still, &QTimer::timeout, [&] { control.Advance(0); });
    still.start(50);
    if (what == "chooser") {
        control.ShowDefaultCharacterProperties();
        control.Chooser()->move(200, 200);
    } else {
        control.Load("id", std::string("robby"));
        agent::AgentCharacter* c = control.Character("id");
        const auto screen = control.Screen();
        c->MoveTo(static_cast<std::int16_t>(screen.width - c->Width() - 5),
                  static_cast<std::int16_t>(screen.height - c->Height() - 60), 2);
        c->Show(true);
        c->Speak("Hallo ik ben Robby");
    }
    return app.exec();
}
