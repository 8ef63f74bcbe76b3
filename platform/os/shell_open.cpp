#include "platform/os/shell_open.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace os {

bool ShellOpen(const std::string& target) {
    if (target.empty()) {
        return false;
    }
    const QString text = QString::fromStdString(target);
    const QUrl asLink(text, QUrl::TolerantMode);
    // A scheme of one letter is a Windows drive, not a link.
    const bool isLink = asLink.isValid() && asLink.scheme().size() > 1;
    const QUrl url =
        isLink ? asLink : QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(text).absoluteFilePath()));
    return QDesktopServices::openUrl(url);
}

}  // namespace os
