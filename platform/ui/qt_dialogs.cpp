#include "platform/ui/qt_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/help.h"

namespace ui {
namespace {

struct ButtonText {
    MsgDlgBtn button;
    const char* caption;
    ModalResult result;
    QMessageBox::ButtonRole role;
};

// In the class library's order of buttons in a box.
constexpr ButtonText kButtons[] = {
    {mbYes, "Ja", mrYes, QMessageBox::YesRole},
    {mbNo, "Nee", mrNo, QMessageBox::NoRole},
    {mbOK, "OK", mrOk, QMessageBox::AcceptRole},
    {mbCancel, "Annuleren", mrCancel, QMessageBox::RejectRole},
    {mbAbort, "Afbreken", mrAbort, QMessageBox::RejectRole},
    {mbRetry, "Opnieuw", mrRetry, QMessageBox::AcceptRole},
    {mbIgnore, "Negeren", mrIgnore, QMessageBox::AcceptRole},
    {mbAll, "Alles", mrAll, QMessageBox::YesRole},
    {mbNoToAll, "Nee op alles", mrNoToAll, QMessageBox::NoRole},
    {mbYesToAll, "Ja op alles", mrYesToAll, QMessageBox::YesRole},
    {mbHelp, "Help", mrNone, QMessageBox::HelpRole},
};

QWidget* DialogParent() {
    return QApplication::activeWindow();
}

QString ApplicationTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

QString MessageTitle(MsgDlgType type) {
    switch (type) {
        case MsgDlgType::Warning:
            return "Waarschuwing";
        case MsgDlgType::Error:
            return "Fout";
        case MsgDlgType::Information:
            return "Informatie";
        case MsgDlgType::Confirmation:
            return "Bevestigen";
        case MsgDlgType::Custom:
            break;
    }
    return ApplicationTitle();
}

std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& text, MsgDlgType type,
                                             unsigned buttons) {
    auto box = std::make_unique<QMessageBox>(DialogParent());
    box->setWindowTitle(MessageTitle(type));
    box->setText(Q(text));
    switch (type) {
        case MsgDlgType::Warning:
            box->setIcon(QMessageBox::Warning);
            break;
        case MsgDlgType::Error:
            box->setIcon(QMessageBox::Critical);
            break;
        case MsgDlgType::Information:
            box->setIcon(QMessageBox::Information);
            break;
        case MsgDlgType::Confirmation:
            box->setIcon(QMessageBox::Question);
            break;
        case MsgDlgType::Custom:
            box->setIcon(QMessageBox::NoIcon);
            break;
    }
    if ((buttons & ~static_cast<unsigned>(mbHelp)) == 0) {
        buttons |= mbOK;  // a box always has a way out
    }
    QPushButton* byResult[mrYesToAll + 1] = {};
    QPushButton* first = nullptr;
    for (const auto& b : kButtons) {
        if ((buttons & b.button) == 0) {
            continue;
        }
        QPushButton* button = box->addButton(b.caption, b.role);
        button->setProperty("modalResult", static_cast<int>(b.result));
        if (b.result != mrNone) {
            byResult[b.result] = button;
            if (first == nullptr) {
                first = button;
            }
        }
    }
    // Enter takes OK, else Yes; Escape takes Cancel, else No, else OK.
    QPushButton* def = byResult[mrOk] ? byResult[mrOk] : byResult[mrYes] ? byResult[mrYes] : first;
    QPushButton* esc = byResult[mrCancel] ? byResult[mrCancel]
                       : byResult[mrNo]   ? byResult[mrNo]
                                          : byResult[mrOk];
    box->setDefaultButton(def);
    box->setEscapeButton(esc);
    return box;
}

int QtDialogs::MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons,
                          int helpContext) {
    auto box = BuildMessageBox(text, type, buttons);
    for (;;) {
        box->exec();
        QAbstractButton* clicked = box->clickedButton();
        if (clicked == nullptr) {
            QAbstractButton* esc = box->escapeButton();
            return esc ? esc->property("modalResult").toInt() : mrCancel;
        }
        const int result = clicked->property("modalResult").toInt();
        if (result != mrNone) {
            return result;
        }
        ShowHelpContext(helpContext);  // the help button leaves the question open
    }
}

void QtDialogs::CaptionedMessage(const std::string& text, const std::string& caption,
                                 MsgDlgType type) {
    auto box = BuildMessageBox(text, type, mbOK);
    box->setWindowTitle(Q(caption));
    box->exec();
}

void QtDialogs::ShowMessage(const std::string& text) {
    auto box = BuildMessageBox(text, MsgDlgType::Custom, mbOK);
    box->exec();
}

void QtDialogs::Notify(const std::string& text, MsgDlgType type) {
    QMessageBox* box = BuildMessageBox(text, type, mbOK).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

bool QtDialogs::InputQuery(const std::string& caption, const std::string& prompt,
                           std::string& value) {
    QInputDialog dialog(DialogParent());
    dialog.setWindowTitle(Q(caption));
    dialog.setLabelText(Q(prompt));
    dialog.setTextValue(Q(value));
    dialog.setOkButtonText("OK");
    dialog.setCancelButtonText("Annuleren");
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    value = dialog.textValue().toStdString();
    return true;
}

QStringList ToNameFilters(const std::string& filter) {
    QStringList out;
    const QStringList parts = Q(filter).split('|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (auto& p : patterns) {
            p = p.trimmed();
        }
        out << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return out;
}

std::unique_ptr<QFileDialog> BuildFileDialog(const FileDialogOptions& options, bool save) {
    auto dialog = std::make_unique<QFileDialog>(DialogParent(), Q(options.title));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !options.overwritePrompt) {
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    }
    const QStringList filters = ToNameFilters(options.filter);
    if (!filters.isEmpty()) {
        dialog->setNameFilters(filters);
        const int index = options.filterIndex >= 1 && options.filterIndex <= filters.size()
                              ? options.filterIndex
                              : 1;
        dialog->selectNameFilter(filters[index - 1]);
    }
    if (!options.defaultExt.empty()) {
        dialog->setDefaultSuffix(Q(options.defaultExt));
    }
    if (!options.initialDir.empty()) {
        dialog->setDirectory(Q(options.initialDir));
    }
    if (!options.fileName.empty()) {
        dialog->selectFile(Q(options.fileName));
    }
    return dialog;
}

namespace {

bool RunFileDialog(const FileDialogOptions& options, bool save, std::string& fileName) {
    auto dialog = BuildFileDialog(options, save);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return false;
    }
    fileName = dialog->selectedFiles().front().toStdString();
    return true;
}

}  // namespace

bool QtDialogs::OpenFileName(const FileDialogOptions& options, std::string& fileName) {
    return RunFileDialog(options, false, fileName);
}

bool QtDialogs::SaveFileName(const FileDialogOptions& options, std::string& fileName) {
    return RunFileDialog(options, true, fileName);
}

bool QtDialogs::ChooseColor(TColor& color) {
    QColorDialog dialog(ColorToQColor(color), DialogParent());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    color = QColorToColor(dialog.selectedColor());
    return true;
}

bool QtDialogs::ChooseFont(FontSpec& font) {
    QFontDialog dialog(ToQFont(font), DialogParent());
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    font = FromQFont(dialog.selectedFont(), font.color);
    return true;
}

}  // namespace ui
