#include "components/labelled_controls.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "components/form_reading.h"
#include "components/sub_label.h"
#include "platform/ui/qt_test_app.h"
#include "platform/ui/scripted_dialogs.h"

namespace {

struct Kind {
    std::string name;
    std::function<QWidget*(QWidget* owner)> make;
    bool windowed;
};

template <class T>
Kind KindOf(const char* name, bool windowed = true) {
    return {name, [](QWidget* owner) -> QWidget* { return new T(owner); }, windowed};
}

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        KindOf<TLEdit>("TLEdit"),           KindOf<TLMaskEdit>("TLMaskEdit"),
        KindOf<TLSpinEdit>("TLSpinEdit"),   KindOf<TLMemo>("TLMemo"),
        KindOf<TLListBox>("TLListBox"),     KindOf<TLComboBox>("TLComboBox"),
        KindOf<TLImage>("TLImage", false),  KindOf<TLPanel>("TLPanel"),
        KindOf<TLScrollBox>("TLScrollBox"), KindOf<TLOutline>("TLOutline"),
        KindOf<TLTreeView>("TLTreeView"),
    };
    return kinds;
}

LabelledControl* Labels(QWidget* control) {
    return dynamic_cast<LabelledControl*>(control);
}
TSubLabel* LabelOf(QWidget* control) {
    return Labels(control)->SubLabel();
}

// A form with a panel in it, and the scripted dialogs that record any question asked.
struct Form {
    explicit Form(bool shown) {
        form = std::make_unique<QWidget>();
        form->resize(700, 500);
        panel = new QFrame(form.get());
        panel->setGeometry(300, 250, 350, 200);
        if (shown) {
            form->show();
        }
    }
    ~Form() { EXPECT_TRUE(dialogs.shown().empty()); }
    // A control of `kind` named `name` at (x, y), shown.
    QWidget* Make(const Kind& kind, const char* name, int x = 200, int y = 50) {
        QWidget* c = kind.make(form.get());
        c->setObjectName(name);
        c->setGeometry(x, y, 80, 24);
        c->show();
        return c;
    }
    int LabelCount() const { return static_cast<int>(form->findChildren<TSubLabel*>().size()); }

    ui::ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> form;
    QFrame* panel;
};

TEST(LabelledControls, LabelIsPlacedNamedAndParentedBesideItsControl) {
    enum class Setup { OnShownForm, ParentAfterConstruction, MovedBeforeFormShown };
    for (const Kind& kind : Kinds()) {
        for (Setup setup :
             {Setup::OnShownForm, Setup::ParentAfterConstruction, Setup::MovedBeforeFormShown}) {
            SCOPED_TRACE(kind.name + " setup " + std::to_string(static_cast<int>(setup)));
            Form f(setup != Setup::MovedBeforeFormShown);
            QWidget* c = kind.make(f.form.get());
            c->setObjectName("Edit1");
            QWidget* parent = f.form.get();
            if (setup == Setup::ParentAfterConstruction) {
                c->setParent(f.panel);
                parent = f.panel;
            }
            c->move(190, 45);
            c->setGeometry(200, 50, 80, 24);
            c->show();
            if (setup == Setup::MovedBeforeFormShown) {
                f.form->show();
            }
            TSubLabel* label = LabelOf(c);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(label->pos(), QPoint(100, 52));
            EXPECT_EQ(label->objectName(), "Edit1SubLabel");
            EXPECT_EQ(label->Caption(), "Edit1SubLabel");
            EXPECT_EQ(label->parentWidget(), parent);
            EXPECT_TRUE(label->isVisible());
            EXPECT_EQ(label->Control(), c);
            EXPECT_EQ(label->buddy(), kind.windowed ? c : nullptr);
            EXPECT_EQ(f.LabelCount(), 1);
        }
    }
}

TEST(LabelledControls, MovesOfControlAndLockedLabelTravelTogether) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        Form f(true);
        QWidget* c = f.Make(kind, "Edit1");
        TSubLabel* label = LabelOf(c);

        c->move(c->pos() + QPoint(10, 5));
        EXPECT_EQ(label->pos(), QPoint(110, 57));

        label->move(120, 60);  // unlocked: alone
        EXPECT_EQ(c->pos(), QPoint(210, 55));
        EXPECT_EQ(label->pos(), QPoint(120, 60));

        label->SetLocked(true);
        label->move(130, 65);
        EXPECT_EQ(c->pos(), QPoint(220, 60));
        EXPECT_EQ(label->pos(), QPoint(130, 65));

        label->resize(150, 40);
        EXPECT_EQ(label->size(), QSize(150, 40));
        EXPECT_EQ(c->pos(), QPoint(220, 60));
        EXPECT_EQ(label->pos(), QPoint(130, 65));

        label->setGeometry(140, 75, 90, 20);  // a locked label's size is its own
        EXPECT_EQ(c->pos(), QPoint(230, 70));
        EXPECT_EQ(label->geometry(), QRect(140, 75, 90, 20));
    }
}

TEST(LabelledControls, LockedLabelMovedWhileHiddenMovesItsControlWhenShown) {
    Form f(false);
    QWidget* c = f.Make(Kinds()[0], "Edit1");
    TSubLabel* label = LabelOf(c);
    label->SetLocked(true);
    label->move(label->pos() + QPoint(10, 5));
    f.form->show();
    EXPECT_EQ(c->pos(), QPoint(210, 55));
    EXPECT_EQ(label->pos(), QPoint(110, 57));
}

TEST(LabelledControls, LabelMirrorsEnabledAndVisibleOfItsControl) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        Form f(true);
        QWidget* c = kind.make(f.panel);
        c->setParent(f.panel);
        c->show();
        TSubLabel* label = LabelOf(c);

        c->setEnabled(false);
        EXPECT_FALSE(label->isEnabled());
        label->setEnabled(true);
        EXPECT_FALSE(label->isEnabled());
        c->setEnabled(true);
        EXPECT_TRUE(label->isEnabled());
        label->setEnabled(false);
        EXPECT_TRUE(label->isEnabled());

        c->hide();
        EXPECT_TRUE(label->isHidden());
        label->show();
        EXPECT_TRUE(label->isHidden());
        c->show();
        EXPECT_TRUE(label->isVisible());
        label->hide();
        EXPECT_TRUE(label->isVisible());

        f.panel->setEnabled(false);
        EXPECT_FALSE(c->isEnabled());
        EXPECT_FALSE(label->isEnabled());
        label->setEnabled(false);  // unseen while the parent is off; the control's return mends it
        f.panel->setEnabled(true);
        EXPECT_TRUE(c->isEnabled());
        EXPECT_TRUE(label->isEnabled());
    }
}

TEST(LabelledControls, LabelClickAndAcceleratorFocusOnlyWindowedControls) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        Form f(true);
        QApplication::setActiveWindow(f.form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
        auto* other = new QLineEdit(f.form.get());
        other->setGeometry(10, 400, 80, 24);
        other->show();
        other->setFocus();
        QWidget* c = f.Make(kind, "Edit1");
        TSubLabel* label = LabelOf(c);
        label->SetCaption("&Naam");
        int clicks = 0;
        label->OnClick = [&](TSubLabel* sender) {
            EXPECT_EQ(sender, label);
            ++clicks;
        };
        auto focused = [&] {
            QWidget* w = QApplication::focusWidget();
            return w == c || c->isAncestorOf(w);
        };

        QTest::mouseClick(label, Qt::LeftButton);
        EXPECT_EQ(clicks, 1);
        EXPECT_EQ(focused(), kind.windowed);

        other->setFocus();
        QTest::keyClick(f.form.get(), Qt::Key_N, Qt::AltModifier);
        EXPECT_EQ(focused(), kind.windowed);
        EXPECT_EQ(clicks, 1);
    }
}

TEST(LabelledControls, RenamedControlRenamesOrAdoptsItsLabel) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        Form f(true);
        QWidget* c = f.Make(kind, "Edit1");
        QPointer<TSubLabel> first = LabelOf(c);
        c->setObjectName("Name1");
        EXPECT_EQ(first->objectName(), "Name1SubLabel");
        EXPECT_EQ(first->Caption(), "Name1SubLabel");

        auto* standing = new TSubLabel(f.form.get());
        standing->setObjectName("Name2SubLabel");
        standing->SetCaption("Naam");
        c->setObjectName("Name2");
        EXPECT_TRUE(first.isNull());
        EXPECT_EQ(LabelOf(c), standing);
        EXPECT_EQ(standing->Control(), c);
        EXPECT_EQ(standing->Caption(), "Naam");
        EXPECT_EQ(f.LabelCount(), 1);

        // A label bound to another control stays with it.
        QWidget* d = f.Make(kind, "Other", 200, 150);
        c->setObjectName("Other");
        EXPECT_EQ(LabelOf(d)->Control(), d);
        EXPECT_EQ(LabelOf(c), standing);
        EXPECT_EQ(f.LabelCount(), 2);
    }
}

TEST(LabelledControls, LabelSetControlRebindsAndDetaches) {
    Form f(true);
    QWidget* a = f.Make(Kinds()[0], "A");
    QWidget* b = f.Make(Kinds()[0], "B", 200, 150);
    QPointer<TSubLabel> labelA = LabelOf(a);
    QPointer<TSubLabel> labelB = LabelOf(b);

    labelA->SetControl(b);
    EXPECT_TRUE(labelB.isNull());
    EXPECT_EQ(LabelOf(b), labelA);
    EXPECT_EQ(LabelOf(a), nullptr);
    b->move(b->pos() + QPoint(1, 1));
    EXPECT_EQ(labelA->pos(), QPoint(101, 53));

    labelA->SetControl(f.panel);  // not a labelled control: nothing changes
    EXPECT_EQ(labelA->Control(), b);

    auto* made = new TSubLabel(f.form.get(), a);
    EXPECT_EQ(LabelOf(a), made);
    EXPECT_EQ(made->pos(), QPoint(100, 52));

    labelA->SetControl(nullptr);
    EXPECT_EQ(LabelOf(b), nullptr);
    EXPECT_TRUE(labelA->isHidden());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(labelA.isNull());
}

TEST(LabelledControls, ReadFormBindsFindsOrMakesLabels) {
    enum class Stream { ControlFirst, LabelFirst, LabelDeleted, ControlOnly };
    for (const Kind& kind : Kinds()) {
        for (Stream stream : {Stream::ControlFirst, Stream::LabelFirst, Stream::LabelDeleted,
                              Stream::ControlOnly}) {
            SCOPED_TRACE(kind.name + " stream " + std::to_string(static_cast<int>(stream)));
            Form f(true);  // shown, so that moves during reading are reported at once
            QWidget* c = nullptr;
            TSubLabel* read = nullptr;
            {
                FormReading reading(f.form.get());
                auto readLabel = [&] {
                    read = new TSubLabel(f.form.get());
                    read->setObjectName("Edit1SubLabel");
                    read->SetCaption("Naam");
                    read->move(20, 30);
                    read->setEnabled(false);
                };
                if (stream == Stream::LabelFirst) {
                    readLabel();
                }
                c = kind.make(f.form.get());
                c->setObjectName("Edit1");
                c->show();
                c->move(200, 50);
                c->move(210, 60);  // stored positions: the label is not moved by them
                c->setEnabled(true);
                if (stream == Stream::LabelDeleted) {
                    Labels(c)->ReadLabelDeleted(true);
                }
                if (stream == Stream::ControlFirst) {
                    readLabel();
                }
                EXPECT_EQ(f.LabelCount(), read != nullptr ? 1 : 0);
            }
            TSubLabel* label = LabelOf(c);
            if (stream == Stream::LabelDeleted) {
                EXPECT_EQ(label, nullptr);
                EXPECT_EQ(f.LabelCount(), 0);
                EXPECT_EQ(Labels(c)->LabelDeletedToWrite(), std::optional<bool>(true));
                continue;
            }
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(f.LabelCount(), 1);
            EXPECT_EQ(label->Control(), c);
            EXPECT_TRUE(label->isEnabled());
            EXPECT_TRUE(label->isVisible());
            EXPECT_EQ(Labels(c)->LabelDeletedToWrite(), std::nullopt);
            if (stream == Stream::ControlOnly) {
                EXPECT_EQ(label->objectName(), "Edit1SubLabel");
                EXPECT_EQ(label->pos(), QPoint(110, 62));
            } else {
                EXPECT_EQ(label, read);
                EXPECT_EQ(label->pos(), QPoint(20, 30));
                EXPECT_EQ(label->Caption(), "Naam");
            }
            c->move(c->pos() + QPoint(10, 5));  // after reading, moves move the label again
            EXPECT_EQ(
                label->pos() - (stream == Stream::ControlOnly ? QPoint(110, 62) : QPoint(20, 30)),
                QPoint(10, 5));
        }
    }
}

TEST(LabelledControls, DeletingControlLabelOrFormAsksNothingAndLeavesNoDanglingLink) {
    enum class Made { ControlMakesLabel, LabelBeforeControl };
    enum class Gone { Control, Label, Form };
    for (const Kind& kind : Kinds()) {
        for (Made made : {Made::ControlMakesLabel, Made::LabelBeforeControl}) {
            for (Gone gone : {Gone::Control, Gone::Label, Gone::Form}) {
                SCOPED_TRACE(kind.name + " made " + std::to_string(static_cast<int>(made)) +
                             " gone " + std::to_string(static_cast<int>(gone)));
                Form f(true);
                QPointer<TSubLabel> label;
                if (made == Made::LabelBeforeControl) {
                    label = new TSubLabel(f.form.get());
                    label->setObjectName("Edit1SubLabel");
                }
                QPointer<QWidget> c = f.Make(kind, "Edit1");
                if (made == Made::ControlMakesLabel) {
                    label = LabelOf(c);
                }
                ASSERT_EQ(LabelOf(c), label.data());

                if (gone == Gone::Control) {
                    delete c.data();
                    EXPECT_TRUE(label.isNull());
                } else if (gone == Gone::Label) {
                    delete label.data();
                    ASSERT_FALSE(c.isNull());
                    EXPECT_EQ(LabelOf(c), nullptr);
                    EXPECT_EQ(Labels(c)->LabelDeletedToWrite(), std::optional<bool>(true));
                    c->move(c->pos() + QPoint(3, 3));
                    c->setEnabled(false);
                    c->hide();
                    c->setObjectName("Name1");
                    EXPECT_EQ(f.LabelCount(), 0);
                } else {
                    f.form.reset();
                    EXPECT_TRUE(c.isNull());
                    EXPECT_TRUE(label.isNull());
                }
            }
        }
    }
}

TEST(LabelledControls, CaptionLabelPropertiesApply) {
    Form f(true);
    QWidget* c = f.Make(Kinds()[0], "Edit1");
    TSubLabel* label = LabelOf(c);

    EXPECT_TRUE(label->AutoSize());
    label->SetCaption("Een veel langer onderschrift");
    const int wide = label->width();
    label->SetCaption("Kort");
    EXPECT_LT(label->width(), wide);
    label->SetAutoSize(false);
    label->resize(300, 20);
    label->SetCaption("Een veel langer onderschrift");
    EXPECT_EQ(label->width(), 300);

    EXPECT_TRUE(label->ParentColor());
    EXPECT_FALSE(label->autoFillBackground());
    label->SetColor(ui::clRed);
    EXPECT_FALSE(label->ParentColor());
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 0, 0));
    label->SetTransparent(true);
    EXPECT_FALSE(label->autoFillBackground());
    label->SetParentColor(true);
    EXPECT_EQ(label->palette().color(QPalette::Window), f.form->palette().color(QPalette::Window));

    QFont big = label->font();
    big.setPointSize(big.pointSize() + 6);
    label->setFont(big);
    EXPECT_FALSE(label->ParentFont());
    label->SetParentFont(true);
    EXPECT_TRUE(label->ParentFont());
    EXPECT_EQ(label->font(), f.form->font());

    label->SetShowAccelChar(false);
    EXPECT_EQ(label->buddy(), nullptr);
    label->SetShowAccelChar(true);
    EXPECT_EQ(label->buddy(), c);
}

}  // namespace
