#include "platform/os/qt_tray_shell.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>
#include <cstdio>
#include <exception>

namespace os {

QString TrayTipText(const std::string& tip) {
    const QString text = QString::fromStdString(tip);
    if (!Qt::mightBeRichText(text)) {
        return text;
    }
    // Escaped inside a paragraph: the tooltip shows "<b>" as those three characters.
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

QIcon TrayIconOrDefault(const QIcon& icon) {
    if (!icon.isNull()) {
        return icon;
    }
    QIcon program = QGuiApplication::windowIcon();
    if (!program.isNull()) {
        return program;
    }
    // Without any icon Qt docks an invisible slot that nobody can click.
    QPixmap mark(32, 32);
    mark.fill(QColor(0x40, 0x00, 0x40));
    QPainter painter(&mark);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(24);
    painter.setFont(font);
    painter.drawText(mark.rect(), Qt::AlignCenter, QStringLiteral("B"));
    painter.end();
    return QIcon(mark);
}

QtTrayShell::QtTrayShell() {
    QObject::connect(
        &icon_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
            // The handlers are the program's; nothing they throw may reach Qt.
            try {
                Report(reason);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "Fout in de klik op het pictogram: %s\n", e.what());
            }
        });
}

void QtTrayShell::Report(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            ReportClick();
            break;
        case QSystemTrayIcon::DoubleClick:
            ReportDoubleClick();
            break;
        case QSystemTrayIcon::Context: {
            const QPoint at = QCursor::pos();
            ReportRightClick(at.x(), at.y());
            break;
        }
        default:
            break;
    }
}

bool QtTrayShell::TrayExists() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayShell::Apply(const QIcon& icon, const std::string& tip) {
    icon_.setIcon(TrayIconOrDefault(icon));
    icon_.setToolTip(TrayTipText(tip));
}

bool QtTrayShell::Add(const QIcon& icon, const std::string& tip) {
    if (!TrayExists()) {
        return false;
    }
    Apply(icon, tip);
    icon_.show();
    return icon_.isVisible();
}

bool QtTrayShell::Modify(const QIcon& icon, const std::string& tip) {
    Apply(icon, tip);
    return icon_.isVisible();
}

bool QtTrayShell::Delete() {
    const bool was = icon_.isVisible();
    icon_.hide();
    return was;
}

void QtTrayShell::OpenMenu(QMenu* menu, int x, int y) {
    if (menu != nullptr) {
        menu->popup(QPoint(x, y));
    }
}

std::unique_ptr<TrayShell> MakeTrayShell() {
    return std::make_unique<QtTrayShell>();
}

}  // namespace os
