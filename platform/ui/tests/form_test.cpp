#include "platform/ui/form.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/rtl/exception.h"
#include "platform/rtl/ini_file.h"
#include "platform/ui/ini_layout_store.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/recording_help.h"
#include "platform/ui/scripted_dialogs.h"
#include "platform/ui/tests/memory_layout_store.h"

namespace ui {
namespace {

using testing::MemoryLayoutStore;

class DesignForm : public Form {
  public:
    DesignForm() {
        move(75, 93);
        resize(597, 457);
        SetFormFont({"Arial", 9, clWindowText, false, false, false, false});
    }
    std::function<void(CloseAction&)> onClose;

  protected:
    void FormClose(CloseAction& action) override {
        if (onClose) {
            onClose(action);
        }
    }
};

TEST(Form, RestoresOnlyWhatIsSet) {
    struct Case {
        std::map<std::string, std::string> keys;
        QPoint pos;
        QSize size;
        FontSpec font;
    };
    const FontSpec design{"Arial", 9, clWindowText, false, false, false, false};
    const std::string longName(120, 'F');
    const Case cases[] = {
        {{}, {75, 93}, {597, 457}, design},
        {{{"top", "0"},
          {"left", "0"},
          {"width", "0"},
          {"height", "0"},
          {"fontsize", "0"},
          {"fontcolor", "0"},
          {"fontname", ""}},
         {75, 93},
         {597, 457},
         design},
        {{{"top", "10"}, {"left", "20"}, {"width", "300"}, {"height", "200"}},
         {20, 10},
         {300, 200},
         design},
        {{{"top", "40"}, {"height", "250"}}, {75, 40}, {597, 250}, design},
        {{{"fontsize", "14"}, {"fontcolor", "255"}, {"fontname", "Courier"}},
         {75, 93},
         {597, 457},
         {"Courier", 14, 255, false, false, false, false}},
        {{{"fontname", longName}},
         {75, 93},
         {597, 457},
         {longName.substr(0, 100), 9, clWindowText}},
        {{{"width", "abc"}}, {75, 93}, {597, 457}, design},
    };
    for (const auto& c : cases) {
        MemoryLayoutStore store;
        for (const auto& [k, v] : c.keys) {
            store.values[{"ftelefoonlog", k}] = v;
        }
        store.values[{"andere", "top"}] = "999";
        DesignForm form;
        form.RestoreLayout(store, "ftelefoonlog");
        EXPECT_EQ(form.pos(), c.pos);
        EXPECT_EQ(form.size(), c.size);
        EXPECT_EQ(form.FormFont().name, c.font.name);
        EXPECT_EQ(form.FormFont().size, c.font.size);
        EXPECT_EQ(form.FormFont().color, c.font.color);
    }
}

TEST(Form, SavesEveryKeyInOrderAndRestoresIt) {
    MemoryLayoutStore store;
    DesignForm form;
    form.move(33, 44);
    form.resize(320, 240);
    form.SetFormFont({"Courier", 12, 0x400040, false, false, false, false});
    form.SaveLayout(store, "finstellingen");
    EXPECT_EQ(store.writes, (std::vector<std::string>{"top", "width", "left", "height", "fontsize",
                                                      "fontcolor", "fontname"}));
    EXPECT_EQ(store.ReadInteger("finstellingen", "fontcolor", 0), 0x400040);

    DesignForm again;
    again.RestoreLayout(store, "finstellingen");
    EXPECT_EQ(again.pos(), QPoint(33, 44));
    EXPECT_EQ(again.size(), QSize(320, 240));
    EXPECT_EQ(again.FormFont().name, "Courier");
    EXPECT_EQ(again.palette().color(QPalette::WindowText), QColor(0x40, 0x00, 0x40));
}

TEST(Form, LayoutInTheSettingsFile) {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("belverin-form-" + std::to_string(::getpid()) + ".ini"))
                                 .string();
    std::ofstream(file) << "[FTelefoonLog]\r\nTOP=12\r\nleft = 0\r\nfontname=\"Courier\"\r\n";
    rtl::TIniFile ini(file);
    IniLayoutStore store(ini);
    DesignForm form;
    form.RestoreLayout(store, "ftelefoonlog");
    EXPECT_EQ(form.pos(), QPoint(75, 12));
    EXPECT_EQ(form.FormFont().name, "Courier");
    form.resize(400, 300);
    form.SaveLayout(store, "ftelefoonlog");
    EXPECT_EQ(ini.ReadInteger("ftelefoonlog", "width", 0), 400);
    EXPECT_EQ(ini.ReadInteger("ftelefoonlog", "fontsize", 0), 9);
    std::remove(file.c_str());
}

TEST(Form, CaptionAndStayOnTop) {
    DesignForm form;
    form.SetCaption("Commandline invoeren");
    EXPECT_EQ(form.Caption(), "Commandline invoeren");
    EXPECT_EQ(form.windowTitle(), "Commandline invoeren");
    EXPECT_FALSE(form.StayOnTop());
    form.show();
    form.SetStayOnTop(true);
    EXPECT_TRUE(form.StayOnTop());
    EXPECT_TRUE(form.isVisible()) << "changing the flag must not hide the window";
    EXPECT_TRUE(form.isWindow());
}

TEST(Form, CloseActions) {
    {
        DesignForm form;
        form.show();
        EXPECT_TRUE(form.close());
        EXPECT_FALSE(form.isVisible());  // hidden, still there
    }
    {
        QPointer<DesignForm> form = new DesignForm;
        form->SetCloseAction(CloseAction::Free);
        form->show();
        form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
    }
    {
        DesignForm form;
        form.onClose = [](CloseAction& a) { a = CloseAction::None; };
        form.show();
        EXPECT_FALSE(form.close());
        EXPECT_TRUE(form.isVisible());
    }
    {
        // a failing close handler is shown and keeps the window
        ScriptedDialogs dialogs;
        dialogs.AnswerMessage(mrOk);
        QPointer<DesignForm> form = new DesignForm;
        form->SetCloseAction(CloseAction::Free);
        form->onClose = [](CloseAction&) { throw rtl::Exception("Kan niet sluiten"); };
        form->show();
        EXPECT_FALSE(form->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(form.isNull());
        EXPECT_TRUE(form->isVisible());
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].text, "Kan niet sluiten");
        EXPECT_EQ(dialogs.shown()[0].type, MsgDlgType::Error);
        delete form.data();
    }
}

TEST(Form, HelpContext) {
    RecordingHelp help;
    DesignForm form;
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &f1);
    form.ShowHelp();
    EXPECT_TRUE(help.contexts.empty()) << "context 0 has no help";
    form.SetHelpContext(640);
    QCoreApplication::sendEvent(&form, &f1);
    form.ShowHelp();
    EXPECT_EQ(help.contexts, (std::vector<int>{640, 640}));
}

TEST(Form, F1TakesTheContextNearestTheFocus) {
    RecordingHelp help;
    DesignForm form;
    form.SetHelpContext(640);
    auto* pagina = new QWidget(&form);
    SetControlHelpContext(pagina, 700);
    auto* binnen = new QLineEdit(pagina);  // no context of its own
    auto* eigen = new QLineEdit(pagina);
    SetControlHelpContext(eigen, 710);
    auto* buiten = new QLineEdit(&form);
    for (QWidget* focus : {binnen, eigen, buiten}) {
        focus->setFocus();
        // The edit ignores F1; it travels up to the form.
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QCoreApplication::sendEvent(focus, &f1);
    }
    EXPECT_EQ(help.contexts, (std::vector<int>{700, 710, 640}));
}

}  // namespace
}  // namespace ui
