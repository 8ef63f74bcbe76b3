#include "platform/os/dde_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/os/dde_names.h"

namespace os {

namespace {

QClipboard* Clipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
               ? QGuiApplication::clipboard()
               : nullptr;
}

}  // namespace

bool PutDdeItemOnClipboard(const std::string& busName, std::string_view item,
                           const std::string& text) {
    QClipboard* clipboard = Clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(text));
    const std::string link =
        busName + "\n" + std::string(kDdeObjectPath) + "\n" + std::string(item);
    data->setData(
        QString::fromUtf8(kDdeLinkMime.data(), static_cast<qsizetype>(kDdeLinkMime.size())),
        QByteArray::fromStdString(link));
    clipboard->setMimeData(data);
    return true;
}

bool PutTextOnClipboard(const std::string& text) {
    QClipboard* clipboard = Clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->setText(QString::fromStdString(text));
    return true;
}

}  // namespace os
