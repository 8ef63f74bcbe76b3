#include "monitor/ftest.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>

#include "platform/rtl/ini_file.h"
#include "platform/ui/dialogs.h"

namespace monitor {

namespace {

QPointer<Tftest>& OpenForm() {
    static QPointer<Tftest> form;
    return form;
}

constexpr const char* kCaptions[5] = {
    "1 Nummer staat in de telefoonklapper ",
    "2 Nummer staat niet in de klapper wel op de KPN-cdfoongids",
    "3 Nummer staat niet in de klapper en niet op de KPN-cd",
    "4 Nummer heeft geen nummerherkenning",
    "5 Geen cd aanwezig (open even de cd lade)",
};
// The keys of [test] for the edit fields of tests 1, 2, 3 and 5.
constexpr const char* kKeys[4] = {"1", "2", "3", "5"};

}  // namespace

Tftest* Tftest::Open(IncomingCallFn call, rtl::TIniFile& belvo) {
    auto& form = OpenForm();
    if (!form) {
        form = new Tftest(std::move(call), belvo);
    }
    form->show();
    form->raise();
    return form;
}

Tftest* Tftest::Instance() {
    return OpenForm();
}

Tftest::Tftest(IncomingCallFn call, rtl::TIniFile& belvo) : call_(std::move(call)), belvo_(belvo) {
    SetCaption("Instellingen testen (Msn's, Foongrep, geluid, kleuren, monitor popup etc.)");
    SetCloseAction(ui::CloseAction::Free);
    resize(560, 300);

    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel("Eigen nummer (MSN) waarop de test moet binnenkomen.", this);
    cob1 = new QComboBox(this);
    cob1->setEditable(true);
    Label2 = new QLabel(
        "Verander evt. de nummers en klik op de uit te voeren test. Deze tests gaan buiten de "
        "capi om, dus er zijn geen Tel. kosten aan verbonden.",
        this);
    Label2->setWordWrap(true);
    layout->addWidget(Label1);
    layout->addWidget(cob1);
    layout->addWidget(Label2);

    auto* grid = new QGridLayout;
    int key = 0;
    for (int i = 0; i < 5; ++i) {
        l[static_cast<std::size_t>(i)] = new QLabel(kCaptions[i], this);
        QLabel* label = l[static_cast<std::size_t>(i)];
        label->setCursor(Qt::PointingHandCursor);
        label->setStyleSheet("color: #0000c0; text-decoration: underline;");
        label->installEventFilter(this);
        grid->addWidget(label, i, 0);
        if (i == 3) {
            continue;  // test 4 has no number
        }
        auto* edit = new QLineEdit(this);
        edit->setText(QString::fromStdString(
            belvo_.ReadString("test", kKeys[key], kTestNummers[static_cast<std::size_t>(key)])));
        e[static_cast<std::size_t>(i)] = edit;
        grid->addWidget(edit, i, 1);
        ++key;
    }
    e1 = e[0];
    e2 = e[1];
    e3 = e[2];
    e5 = e[4];
    layout->addLayout(grid);
    layout->addStretch(1);

    for (int i = 0; i < 10; ++i) {
        cob1->addItem(QString::fromStdString(
            belvo_.ReadString("msn" + std::to_string(i), "nummer", "0000000")));
    }
    cob1->addItem(kTestEigenNummer);
    cob1->setEditText(
        QString::fromStdString(belvo_.ReadString("test", "eigennr", kTestEigenNummer)));
}

bool Tftest::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 5; ++i) {
            if (watched == l[static_cast<std::size_t>(i)]) {
                LabelClick(i + 1);
                return true;
            }
        }
    }
    return ui::Form::eventFilter(watched, event);
}

void Tftest::LabelClick(int n) {
    if (n < 1 || n > 5) {
        return;
    }
    const QLineEdit* edit = e[static_cast<std::size_t>(n - 1)];
    const std::string nummer = edit != nullptr ? edit->text().toStdString() : std::string();
    try {
        if (call_) {
            call_(nummer, cob1->currentText().toStdString(), 1, "test " + std::to_string(n), true);
        }
    } catch (const std::exception& ex) {
        ui::ShowException(ex);
    }
}

void Tftest::FormClose(ui::CloseAction& action) {
    try {
        belvo_.WriteString("test", "eigennr", cob1->currentText().toStdString());
        belvo_.WriteString("test", "1", e1->text().toStdString());
        belvo_.WriteString("test", "2", e2->text().toStdString());
        belvo_.WriteString("test", "3", e3->text().toStdString());
        belvo_.WriteString("test", "5", e5->text().toStdString());
    } catch (const std::exception& ex) {
        ui::ShowException(ex);
    }
    action = ui::CloseAction::Free;
}

}  // namespace monitor
