#include "monitor/fcommandline.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <map>

#include "monitor/settings.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/help.h"

namespace monitor {
namespace {

constexpr std::size_t kTagLength = 25;
constexpr int kBrowseWidth = 88;

struct Registration {
    QPointer<QObject> owner;
    bool permanent = false;
    TFcommandline::Receiver receiver;
};

std::map<std::string, Registration>& Receivers() {
    static std::map<std::string, Registration> receivers;
    return receivers;
}

QPointer<TFcommandline>& OpenEditor() {
    static QPointer<TFcommandline> editor;
    return editor;
}

void SaveTemplate(std::string& field, const char* key, const std::string& text) {
    field = text;
    rtl::TIniFile ini(BelvoIniPath());
    ini.WriteString("capi", key, IniProtected(text));
}

}  // namespace

TFcommandline::TFcommandline() {
    SetCaption("Commandline invoeren");
    SetStayOnTop(true);
    SetCloseAction(ui::CloseAction::Free);
    resize(450, 90);

    Panel2 = new QWidget(this);
    Panel4 = new QWidget(Panel2);
    E_naam = new QLineEdit(Panel4);
    Panel3 = new QWidget(Panel2);
    b_kiesprogramma = new QPushButton("Zoeken", Panel3);
    b_kiesprogramma->setToolTip("Browse");
    auto* browse = new QHBoxLayout(Panel3);
    browse->setContentsMargins(4, 0, 4, 0);
    browse->addWidget(b_kiesprogramma);
    Panel3->setFixedWidth(kBrowseWidth);
    auto* row = new QHBoxLayout(Panel2);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(Panel4, 1);
    row->addWidget(Panel3);
    Panel4->setMinimumHeight(E_naam->sizeHint().height() + 8);
    Panel4->installEventFilter(this);

    Panel1 = new QWidget(this);
    b_ok = new QPushButton("OK", Panel1);
    b_ok->setDefault(true);
    b_cancel = new QPushButton("&Annuleren", Panel1);
    BitBtn1 = new QPushButton("Help", Panel1);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->addStretch();
    buttons->addWidget(b_ok);
    buttons->addWidget(b_cancel);
    buttons->addWidget(BitBtn1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(Panel2);
    column->addWidget(Panel1);

    connect(b_ok, &QPushButton::clicked, this, [this] { b_okClick(); });
    connect(b_cancel, &QPushButton::clicked, this, [this] { b_cancelClick(); });
    connect(b_kiesprogramma, &QPushButton::clicked, this, [this] { b_kiesprogrammaClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    FormResize();
}

TFcommandline* TFcommandline::start(const std::string& tag, const std::string& text,
                                    const std::string& caption) {
    QPointer<TFcommandline>& editor = OpenEditor();
    if (!editor) {
        editor = new TFcommandline;
    }
    editor->show();
    editor->E_naam->setText(QString::fromStdString(text));
    editor->SetCaption(caption);
    editor->tag_ = tag.substr(0, kTagLength);
    const bool browse = !editor->IsTemplateTag();
    editor->Panel3->setFixedWidth(browse ? kBrowseWidth : 0);
    editor->Panel3->setVisible(browse);
    editor->SetHelpContext(browse ? 630 : 610);
    editor->FormResize();
    editor->E_naam->setFocus();
    return editor;
}

TFcommandline* TFcommandline::Instance() {
    return OpenEditor();
}

void TFcommandline::SetReceiver(const std::string& tag, QObject* owner, Receiver receiver) {
    Receivers()[tag] = Registration{owner, owner == nullptr, std::move(receiver)};
}

bool TFcommandline::IsTemplateTag() const {
    return tag_ == "bellersstringtest" || tag_ == "gegevensstringtest";
}

void TFcommandline::HandOver(const std::string& text) {
    if (tag_ == "bellersstringtest") {
        SaveTemplate(instellingen.bellersstring, "bellersstring", text);
    } else if (tag_ == "gegevensstringtest") {
        SaveTemplate(instellingen.gegevensstring, "gegevensstring", text);
    } else if (tag_ == "finstellingen" || tag_ == "Ftelklapperedit") {
        const auto it = Receivers().find(tag_);
        if (it != Receivers().end() && (it->second.permanent || it->second.owner) &&
            it->second.receiver) {
            const Receiver receiver = it->second.receiver;  // the receiver may register anew
            receiver(text);
        }
    }
}

void TFcommandline::b_okClick() {
    try {
        HandOver(E_naam->text().toStdString());
    } catch (const std::exception& e) {
        // A refused text stays here for the user to change.
        ui::ShowException(e);
        E_naam->setFocus();
        return;
    }
    close();
}

void TFcommandline::b_cancelClick() {
    close();
}

void TFcommandline::b_kiesprogrammaClick() {
    ui::FileDialogOptions options;
    options.filter = "*.exe|*.EXE|*.*|*.*";
    options.filterIndex = 2;  // programs here have no ".exe"
    options.defaultExt = "exe";
    std::string name;
    if (!ui::dialogs().OpenFileName(options, name)) {
        return;
    }
    // Quoted, a name with blanks stays the program name of the line.
    if (name.find_first_of(" \t") != std::string::npos && name.find('"') == std::string::npos) {
        name = "\"" + name + "\"";
    }
    E_naam->setText(QString::fromStdString(name));
}

void TFcommandline::BitBtn1Click() {
    ui::ShowHelpContext(IsTemplateTag() ? 610 : 630);
}

void TFcommandline::FormClose(ui::CloseAction& action) {
    action = ui::CloseAction::Free;
    if (OpenEditor() == this) {
        OpenEditor() = nullptr;  // the next start makes a new one
    }
}

void TFcommandline::FormResize() {
    const int h = E_naam->sizeHint().height();
    E_naam->setGeometry(5, (Panel4->height() - h) / 2, std::max(0, Panel4->width() - 10), h);
}

void TFcommandline::resizeEvent(QResizeEvent* event) {
    ui::Form::resizeEvent(event);
    FormResize();
}

bool TFcommandline::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel4 && event->type() == QEvent::Resize) {
        FormResize();
    }
    return ui::Form::eventFilter(watched, event);
}

}  // namespace monitor
