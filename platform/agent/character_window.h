#pragma once

#include <QByteArray>
#include <QLabel>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>
#include <functional>

namespace agent {

// The character on the desktop: frameless, above other windows, out of the task bar, and
// shown without taking the keyboard focus.
class CharacterWindow : public QWidget {
    Q_OBJECT
  public:
    using ClickHandler = std::function<void(int button, int shift, QPoint at)>;

    explicit CharacterWindow(int size);
    void SetFrame(const QByteArray& svg);
    void OnClick(ClickHandler handler) { click_ = std::move(handler); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QByteArray frameSvg_;
    QPixmap frame_;
    ClickHandler click_;
};

// The speech balloon above the character. Caller data shows as plain text, never as markup.
class BalloonWindow : public QWidget {
    Q_OBJECT
  public:
    BalloonWindow();
    void SetText(const QString& text);
    QString Text() const;
    // Places the balloon above `character`, its tail towards it, inside `screen`.
    void PlaceAbove(const QRect& character, const QRect& screen);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPainterPath Outline() const;
    QLabel* label_;
    int tailX_ = 40;
};

// The window flags both windows use.
Qt::WindowFlags CharacterWindowFlags();

}  // namespace agent
