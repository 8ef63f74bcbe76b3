#include "platform/agent/character_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/agent/agent_control.h"
#include "platform/agent/character_art.h"

namespace agent {
namespace {

constexpr int kTail = 14;

void MakeCharacterLike(QWidget* w) {
    w->setWindowFlags(CharacterWindowFlags());
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->setAttribute(Qt::WA_TranslucentBackground);
    w->setFocusPolicy(Qt::NoFocus);
}

}  // namespace

Qt::WindowFlags CharacterWindowFlags() {
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
           Qt::WindowDoesNotAcceptFocus;
}

CharacterWindow::CharacterWindow(int size) {
    MakeCharacterLike(this);
    setFixedSize(size, size);
}

void CharacterWindow::SetFrame(const QByteArray& svg) {
    if (svg == frameSvg_) {
        return;
    }
    frameSvg_ = svg;
    frame_ = RenderSvg(svg, width());
    // The shape also holds where no compositor draws the transparent parts.
    setMask(frame_.mask());
    update();
}

void CharacterWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, frame_);
}

void CharacterWindow::mousePressEvent(QMouseEvent* event) {
    int button = 0;
    switch (event->button()) {
        case Qt::LeftButton:
            button = kLeftButton;
            break;
        case Qt::RightButton:
            button = kRightButton;
            break;
        case Qt::MiddleButton:
            button = kMiddleButton;
            break;
        default:
            return;
    }
    int shift = 0;
    const auto mods = event->modifiers();
    shift |= (mods & Qt::ShiftModifier) ? 1 : 0;
    shift |= (mods & Qt::ControlModifier) ? 2 : 0;
    shift |= (mods & Qt::AltModifier) ? 4 : 0;
    if (click_) {
        click_(button, shift, event->globalPosition().toPoint());
    }
}

BalloonWindow::BalloonWindow() {
    MakeCharacterLike(this);
    label_ = new QLabel(this);
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setMaximumWidth(240);
    QFont font = label_->font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    label_->setFont(font);
    label_->setStyleSheet(QStringLiteral("color: #1d1d1d;"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 9, 12, 9 + kTail);
    layout->addWidget(label_);
}

void BalloonWindow::SetText(const QString& text) {
    label_->setText(text);
    adjustSize();
}

QString BalloonWindow::Text() const {
    return label_->text();
}

void BalloonWindow::PlaceAbove(const QRect& character, const QRect& screen) {
    adjustSize();
    int x = character.center().x() - width() / 2;
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() - width() + 1));
    int y = character.top() - height();
    y = std::max(y, screen.top());
    move(x, y);
    tailX_ = std::clamp(character.center().x() - x, 16, std::max(16, width() - 16));
    resizeEvent(nullptr);
    update();
}

QPainterPath BalloonWindow::Outline() const {
    const QRectF body(1, 1, width() - 2, height() - kTail - 2);
    QPainterPath path;
    path.addRoundedRect(body, 10, 10);
    QPainterPath tail;
    tail.moveTo(tailX_ - 8, body.bottom() - 1);
    tail.lineTo(tailX_, height() - 2);
    tail.lineTo(tailX_ + 8, body.bottom() - 1);
    tail.closeSubpath();
    return path.united(tail);
}

void BalloonWindow::resizeEvent(QResizeEvent*) {
    setMask(QRegion(Outline().toFillPolygon().toPolygon()).united(QRect(0, 0, 1, 1)));
}

void BalloonWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = Outline();
    painter.setPen(QPen(QColor(0x55, 0x55, 0x55), 1.5));
    painter.setBrush(QColor(0xff, 0xfd, 0xe8));
    painter.drawPath(path);
}

}  // namespace agent
