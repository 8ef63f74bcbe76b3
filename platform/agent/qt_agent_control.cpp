#include "platform/agent/qt_agent_control.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QScreen>
#include <algorithm>
#include <stdexcept>

#include "platform/agent/character_names.h"
#include "platform/agent/default_character.h"

namespace agent {
namespace {

QRect PrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

QtAgentControl::QtAgentControl(QtAgentOptions options)
    : options_(std::move(options)), context_(std::make_unique<QObject>()) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        throw std::runtime_error("no GUI application");
    }
    for (const auto& name : CharacterNames()) {
        if (!CharacterArt::Load(name)) {
            throw std::runtime_error("the drawings of " + name + " cannot be read");
        }
    }
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, context_.get(), [this] { Tick(); });
    if (!options_.manualTime) {
        timer_.start();
    }
}

QtAgentControl::~QtAgentControl() {
    timer_.stop();
    context_.reset();
    characters_.clear();
    delete chooser_.data();
    delete sheet_.data();
}

void QtAgentControl::SetEvents(AgentEvents events) {
    events_ = std::move(events);
}

void QtAgentControl::SetRaiseRequestErrors(bool) {}

void QtAgentControl::Post(std::function<void()> call) {
    QTimer::singleShot(0, context_.get(), std::move(call));
}

int QtAgentControl::Load(const std::string& characterId, const std::optional<std::string>& file) {
    if (characters_.count(characterId)) {
        return 1;
    }
    const std::optional<std::string> name = file ? CharacterForFile(*file) : ReadDefaultCharacter();
    if (!name) {
        return 2;
    }
    auto art = CharacterArt::Load(*name);
    if (!art) {
        return 2;
    }
    CharacterContext context;
    context.click = [this, characterId](int button, int shift, QPoint at) {
        Post([this, characterId, button, shift, at] {
            if (events_.onClick) {
                events_.onClick(characterId, button, shift, at.x(), at.y());
            }
        });
    };
    context.hidden = [this, characterId](int cause) {
        Post([this, characterId, cause] {
            if (events_.onHide) {
                events_.onHide(characterId, cause);
            }
        });
    };
    context.speech = options_.speech;
    context.espeak = options_.espeak;
    context.screen = [] { return PrimaryScreen(); };
    characters_[characterId] = std::make_unique<QtCharacter>(std::move(*art), std::move(context));
    return 0;
}

AgentCharacter* QtAgentControl::Character(const std::string& characterId) {
    return Loaded(characterId);
}

QtCharacter* QtAgentControl::Loaded(const std::string& characterId) {
    const auto it = characters_.find(characterId);
    return it == characters_.end() ? nullptr : it->second.get();
}

void QtAgentControl::Unload(const std::string& characterId) {
    characters_.erase(characterId);
}

void QtAgentControl::ShowPropertySheet() {
    std::string name;
    if (!characters_.empty()) {
        name = characters_.begin()->second->Name();
    }
    delete sheet_.data();
    sheet_ = new PropertySheet(name, options_.speech && options_.speech->HasDevice());
    sheet_->setAttribute(Qt::WA_DeleteOnClose);
    sheet_->show();
}

void QtAgentControl::ShowDefaultCharacterProperties() {
    if (chooser_) {
        chooser_->raise();
        return;
    }
    chooser_ = new CharacterChooser([this] {
        Post([this] {
            if (events_.onDefaultCharacterChange) {
                events_.onDefaultCharacterChange();
            }
        });
    });
    chooser_->setAttribute(Qt::WA_DeleteOnClose);
    chooser_->show();
}

ScreenSize QtAgentControl::Screen() const {
    const QRect screen = PrimaryScreen();
    return {screen.width(), screen.height()};
}

std::vector<CharacterPicture> QtAgentControl::Pictures() const {
    std::vector<CharacterPicture> pictures;
    for (const auto& name : CharacterNames()) {
        if (auto art = CharacterArt::Load(name)) {
            pictures.push_back({name, art->Rest().toStdString()});
        }
    }
    return pictures;
}

void QtAgentControl::Advance(int ms) {
    for (auto& [id, character] : characters_) {
        character->Advance(ms);
    }
}

void QtAgentControl::Tick() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const int ms = lastTick_ ? static_cast<int>(std::clamp<qint64>(now - lastTick_, 0, 1000)) : 0;
    lastTick_ = now;
    Advance(ms);
}

void InstallQtAgentControl(std::shared_ptr<SpeechOutput> speech) {
    SetAgentControlFactory([speech]() -> std::unique_ptr<AgentControl> {
        QtAgentOptions options;
        options.speech = speech;
        return std::make_unique<QtAgentControl>(std::move(options));
    });
}

}  // namespace agent
