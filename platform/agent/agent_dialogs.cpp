#include "platform/agent/agent_dialogs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "platform/agent/agent_control.h"
#include "platform/agent/character_art.h"
#include "platform/agent/character_names.h"
#include "platform/agent/default_character.h"
#include "platform/agent/espeak_run.h"
#include "platform/agent/voices.h"

namespace agent {

CharacterChooser::CharacterChooser(std::function<void()> changed)
    : group_(new QButtonGroup(this)), changed_(std::move(changed)) {
    setWindowTitle(QStringLiteral("Standaardpersonage kiezen"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Kies het personage dat spreekt:"), this));
    auto* grid = new QGridLayout;
    int column = 0;
    for (const auto& name : CharacterNames()) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromStdString(name));
        button->setText(QString::fromStdString(name));
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIconSize(QSize(96, 96));
        if (auto art = CharacterArt::Load(name)) {
            button->setIcon(QIcon(art->Picture(96)));
        }
        group_->addButton(button);
        grid->addWidget(button, 0, column++);
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuleren"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Store();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Select(ReadDefaultCharacter());
}

std::string CharacterChooser::Selected() const {
    const auto* button = group_->checkedButton();
    return button ? button->objectName().toStdString() : std::string();
}

void CharacterChooser::Select(const std::string& name) {
    for (auto* button : group_->buttons()) {
        button->setChecked(button->objectName().toStdString() == name);
    }
}

void CharacterChooser::Store() {
    const std::string name = Selected();
    if (name.empty() || name == ReadDefaultCharacter()) {
        return;
    }
    try {
        WriteDefaultCharacter(name);
    } catch (const std::exception& e) {
        AgentLog(std::string("speaking character: default character not stored: ") + e.what());
        return;
    }
    if (changed_) {
        changed_();
    }
}

PropertySheet::PropertySheet(const std::string& character, bool hasDevice) {
    setWindowTitle(QStringLiteral("Eigenschappen sprekend personage"));
    const auto espeak = FindEspeak();
    QStringList lines;
    lines << QStringLiteral("Personage: %1")
                 .arg(character.empty() ? QStringLiteral("(geen)")
                                        : QString::fromStdString(character));
    lines << QStringLiteral("Standaardpersonage: %1")
                 .arg(QString::fromStdString(ReadDefaultCharacter()));
    QStringList voices;
    for (const int id : {1043, 2067, 1033, 2057, 1031, 1036}) {
        voices << QStringLiteral("%1 %2").arg(id).arg(QString::fromStdString(VoiceForLanguage(id)));
    }
    lines << QStringLiteral("Stemmen: %1; overige talen nl").arg(voices.join(QStringLiteral(", ")));
    lines << (espeak
                  ? QStringLiteral("espeak-ng: gevonden (%1)").arg(QString::fromStdString(*espeak))
                  : QStringLiteral("espeak-ng: niet gevonden, alleen het tekstballonnetje"));
    lines << (hasDevice ? QStringLiteral("Geluidsapparaat: gevonden")
                        : QStringLiteral("Geluidsapparaat: niet gevonden"));
    summary_ = lines.join(QLatin1Char('\n'));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(summary_, this);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Sluiten"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace agent
