#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class QButtonGroup;

namespace agent {

// Lets the user pick the default character from the four pictures; OK stores the choice.
class CharacterChooser : public QDialog {
    Q_OBJECT
  public:
    explicit CharacterChooser(std::function<void()> changed);
    std::string Selected() const;
    void Select(const std::string& name);

  private:
    void Store();
    QButtonGroup* group_;
    std::function<void()> changed_;
};

// What the control knows of itself: the character, the voices, espeak-ng and the sound device.
class PropertySheet : public QDialog {
    Q_OBJECT
  public:
    PropertySheet(const std::string& character, bool hasDevice);
    QString Summary() const { return summary_; }

  private:
    QString summary_;
};

}  // namespace agent
