#include "platform/os/desktop_dialer.h"

#include <QDesktopServices>
#include <QUrl>

namespace os {

std::string TelLink(const std::string& destination) {
    if (destination.empty()) {
        return {};
    }
    QUrl url;
    url.setScheme("tel");
    // Decoded mode: every character is taken as itself, so "%" or "#" in a number cannot
    // change what the link means.
    url.setPath(QString::fromStdString(destination), QUrl::DecodedMode);
    if (!url.isValid()) {
        return {};
    }
    return url.toEncoded(QUrl::FullyEncoded).toStdString();
}

int32_t DesktopDialer::RequestMakeCall(const std::string& destination, const std::string&,
                                       const std::string&, const std::string&) {
    const std::string link = TelLink(destination);
    if (link.empty()) {
        return 1;
    }
    return QDesktopServices::openUrl(
               QUrl::fromEncoded(QByteArray::fromStdString(link), QUrl::StrictMode))
               ? 0
               : 1;
}

namespace {

Dialer* g_installed = nullptr;

}  // namespace

Dialer& dialer() {
    if (g_installed != nullptr) {
        return *g_installed;
    }
    static DesktopDialer desktop;
    return desktop;
}

Dialer* SetDialer(Dialer* replacement) {
    Dialer* previous = g_installed;
    g_installed = replacement;
    return previous;
}

}  // namespace os
