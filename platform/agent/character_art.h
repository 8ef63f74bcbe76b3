#pragma once

#include <QByteArray>
#include <QPixmap>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSvgRenderer;

namespace agent {

// A character's drawings: frames per animation (names in lower case), each an SVG image.
class CharacterArt {
  public:
    // Nothing when the character is unknown or any of its drawings cannot be read.
    static std::optional<CharacterArt> Load(const std::string& name);

    const std::string& Name() const { return name_; }
    // The frames of an animation named without regard to case; empty when it has none.
    const std::vector<QByteArray>& Frames(const std::string& animation) const;
    const QByteArray& Rest() const { return Frames("rest").front(); }
    const QByteArray& Speaking() const { return Frames("speak").front(); }
    QPixmap Picture(int size) const;

    static constexpr int kSize = 128;

  private:
    std::string name_;
    std::map<std::string, std::vector<QByteArray>> frames_;
};

QPixmap RenderSvg(const QByteArray& svg, int size);

}  // namespace agent
