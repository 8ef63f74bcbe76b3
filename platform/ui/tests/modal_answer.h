#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>

#include <gtest/gtest.h>

namespace ui::testing {

// Acts on the next modal dialog as soon as it shows. A dialog still open 5 s after the act is
// closed with a failure, so no test ever waits for a person.
inline void WhenModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    const auto start = std::chrono::steady_clock::now();
    QObject::connect(timer, &QTimer::timeout, [timer, act, start] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            QPointer<QWidget> dialog(w);
            act(w);
            QTimer::singleShot(5000, [dialog] {
                if (dialog && dialog->isVisible() && QApplication::activeModalWidget() == dialog) {
                    ADD_FAILURE() << "dialog left open";
                    dialog->close();
                }
            });
        } else if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog appeared";
        }
    });
    timer->start(10);
}

inline QAbstractButton* ButtonWithText(QWidget* dialog, const QString& text) {
    for (auto* b : dialog->findChildren<QAbstractButton*>()) {
        if (b->text() == text) {
            return b;
        }
    }
    return nullptr;
}

inline void Click(QWidget* dialog, const QString& text) {
    QAbstractButton* b = ButtonWithText(dialog, text);
    ASSERT_NE(b, nullptr) << text.toStdString();
    b->click();
}

}  // namespace ui::testing
