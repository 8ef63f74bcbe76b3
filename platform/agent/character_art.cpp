#include "platform/agent/character_art.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <cctype>

#include "platform/agent/character_names.h"

namespace agent {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

const char* const kAnimations[] = {"rest", "speak", "getattention", "pleased", "gesturedown"};

}  // namespace

std::optional<CharacterArt> CharacterArt::Load(const std::string& name) {
    const auto known = CharacterForFile(name);
    if (!known) {
        return std::nullopt;
    }
    CharacterArt art;
    art.name_ = *known;
    for (const char* animation : kAnimations) {
        std::vector<QByteArray> frames;
        for (int i = 0;; ++i) {
            QFile file(QStringLiteral(":/agent/%1-%2-%3.svg")
                           .arg(QString::fromStdString(Lower(*known)), QLatin1String(animation))
                           .arg(i));
            if (!file.open(QIODevice::ReadOnly)) {
                break;
            }
            QByteArray svg = file.readAll();
            if (!QSvgRenderer(svg).isValid()) {
                return std::nullopt;
            }
            frames.push_back(std::move(svg));
        }
        if (frames.empty()) {
            return std::nullopt;
        }
        art.frames_[animation] = std::move(frames);
    }
    return art;
}

const std::vector<QByteArray>& CharacterArt::Frames(const std::string& animation) const {
    static const std::vector<QByteArray> none;
    const auto it = frames_.find(Lower(animation));
    return it == frames_.end() ? none : it->second;
}

QPixmap CharacterArt::Picture(int size) const {
    return RenderSvg(Rest(), size);
}

QPixmap RenderSvg(const QByteArray& svg, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

}  // namespace agent
