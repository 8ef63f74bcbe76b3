#include "platform/ui/form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

#include "platform/ui/dialogs.h"
#include "platform/ui/help.h"

namespace ui {

namespace {
constexpr const char* kHelpProperty = "helpContext";
}  // namespace

void SetControlHelpContext(QWidget* control, int context) {
    control->setProperty(kHelpProperty, context);
}

int ControlHelpContext(const QWidget* control) {
    return control->property(kHelpProperty).toInt();
}

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {}

void Form::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

std::string Form::Caption() const {
    return windowTitle().toStdString();
}

void Form::SetStayOnTop(bool on) {
    if (on == StayOnTop()) {
        return;
    }
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible) {
        show();  // changing the flags hides a window
    }
}

bool Form::StayOnTop() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

int Form::CurrentHelpContext() const {
    const QWidget* focus = focusWidget();
    if (focus && isAncestorOf(focus)) {
        for (const QWidget* w = focus; w != this; w = w->parentWidget()) {
            if (const int context = ControlHelpContext(w); context != 0) {
                return context;
            }
        }
    }
    return helpContext_;
}

void Form::ShowHelp() const {
    if (const int context = CurrentHelpContext(); context != 0) {
        ShowHelpContext(context);
    }
}

void Form::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    move(area.x() + (area.width() - size.width()) / 2,
         area.y() + (area.height() - size.height()) / 2);
}

void Form::SetFormFont(const FontSpec& font) {
    setFont(ToQFont(font));
    fontColor_ = font.color;
    QPalette p = palette();
    const QColor color = ColorToQColor(font.color);
    if (color.isValid()) {
        p.setColor(QPalette::WindowText, color);
        p.setColor(QPalette::Text, color);
    }
    setPalette(p);
}

FontSpec Form::FormFont() const {
    return FromQFont(font(), fontColor_);
}

void Form::RestoreLayout(const LayoutStore& store, const std::string& section) {
    const int top = store.ReadInteger(section, "top", 0);
    const int left = store.ReadInteger(section, "left", 0);
    const int width = store.ReadInteger(section, "width", 0);
    const int height = store.ReadInteger(section, "height", 0);
    if (top != 0 || left != 0) {
        move(left != 0 ? left : x(), top != 0 ? top : y());
    }
    if (width != 0 || height != 0) {
        resize(width != 0 ? width : this->width(), height != 0 ? height : this->height());
    }
    FontSpec f = FormFont();
    const int size = store.ReadInteger(section, "fontsize", 0);
    const int color = store.ReadInteger(section, "fontcolor", 0);
    const std::string name = store.ReadString(section, "fontname", "").substr(0, 100);
    if (size != 0) {
        f.size = size;
    }
    if (color != 0) {
        f.color = color;
    }
    if (!name.empty()) {
        f.name = name;
    }
    if (size != 0 || color != 0 || !name.empty()) {
        SetFormFont(f);
    }
}

void Form::SaveLayout(LayoutStore& store, const std::string& section) const {
    const FontSpec f = FormFont();
    store.WriteInteger(section, "top", y());
    store.WriteInteger(section, "width", width());
    store.WriteInteger(section, "left", x());
    store.WriteInteger(section, "height", height());
    store.WriteInteger(section, "fontsize", f.size);
    store.WriteInteger(section, "fontcolor", f.color);
    store.WriteString(section, "fontname", f.name);
}

void Form::FormClose(CloseAction&) {}

void Form::closeEvent(QCloseEvent* event) {
    CloseAction action = closeAction_;
    try {
        FormClose(action);
    } catch (const std::exception& e) {
        ShowException(e);
        action = CloseAction::None;
    }
    if (action == CloseAction::None) {
        event->ignore();
        return;
    }
    event->accept();
    if (action == CloseAction::Free) {
        deleteLater();
    }
}

void Form::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && CurrentHelpContext() != 0) {
        ShowHelp();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace ui
