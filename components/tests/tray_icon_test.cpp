#include "components/tray_icon.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPixmap>

#include <gtest/gtest.h>

#include "platform/os/fake_tray_shell.h"
#include "platform/os/qt_tray_shell.h"
#include "platform/ui/qt_test_app.h"

namespace {

struct Tray {
    Tray() {
        auto owned = std::make_unique<os::FakeTrayShell>();
        shell = owned.get();
        icon = std::make_unique<TTrayIcon>(nullptr, std::move(owned));
    }
    std::vector<std::string> Ops() const {
        std::vector<std::string> ops;
        for (const auto& c : shell->calls) {
            ops.push_back(c.op + (c.op == "add" || c.op == "modify" ? ":" + c.tip : ""));
        }
        return ops;
    }
    os::FakeTrayShell* shell;
    std::unique_ptr<TTrayIcon> icon;
};

bool ValidUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).toUtf8() ==
           QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

TEST(TrayIcon, TipKeepsSixtyTwoCharactersAndWholeSequences) {
    const std::string with_e = std::string(61, 'a') + "ëxyz";
    struct Case {
        std::string tip;
        std::string stored;
    };
    const Case cases[] = {
        {std::string(70, 'x'), std::string(62, 'x')},
        {std::string(62, 'x'), std::string(62, 'x')},
        {with_e, std::string(61, 'a') + "ë"},
        {std::string(60, 'a') + "€€€", std::string(60, 'a') + "€€"},
        {"", ""},
    };
    for (const Case& c : cases) {
        Tray t;
        t.icon->SetActive(true);
        t.icon->SetToolTip(c.tip);
        EXPECT_EQ(t.icon->ToolTip(), c.stored);
        EXPECT_TRUE(ValidUtf8(t.icon->ToolTip()));
        EXPECT_EQ(t.shell->calls.back().tip, c.stored);
    }
}

TEST(TrayIcon, ShellCallsFollowActiveAndTheTip) {
    {
        SCOPED_TRACE("tip written while inactive");
        Tray t;
        t.icon->SetToolTip("Jan 3");
        EXPECT_TRUE(t.shell->calls.empty());
        t.icon->SetActive(true);
        EXPECT_EQ(t.Ops(), (std::vector<std::string>{"add:Jan 3"}));
        QCoreApplication::processEvents();
        EXPECT_EQ(t.Ops().size(), 1u);
    }
    {
        SCOPED_TRACE("active first, tip after: re-applied once the loop ran");
        Tray t;
        t.icon->SetActive(true);
        t.icon->SetToolTip("Een moment geduld AUB (Initialisatie)");
        EXPECT_EQ(t.Ops(), (std::vector<std::string>{
                               "add:", "modify:Een moment geduld AUB (Initialisatie)"}));
        QCoreApplication::processEvents();
        EXPECT_EQ(t.Ops(),
                  (std::vector<std::string>{"add:", "modify:Een moment geduld AUB (Initialisatie)",
                                            "modify:Een moment geduld AUB (Initialisatie)"}));
    }
    {
        SCOPED_TRACE("Active rewritten with its value");
        Tray t;
        t.icon->SetActive(false);
        EXPECT_TRUE(t.shell->calls.empty());
        t.icon->SetToolTip("x");
        t.icon->SetActive(true);
        t.icon->SetActive(true);
        EXPECT_EQ(t.Ops(), (std::vector<std::string>{"add:x"}));
        t.icon->SetActive(false);
        EXPECT_EQ(t.Ops(), (std::vector<std::string>{"add:x", "delete"}));
    }
}

TEST(TrayIcon, DestroyingDeletesOnlyAShownIconAndDropsTheQueuedTip) {
    for (bool active : {true, false}) {
        SCOPED_TRACE(active ? "active" : "inactive");
        std::vector<std::string> ops;
        struct Recorder : os::FakeTrayShell {
            explicit Recorder(std::vector<std::string>& out) : out(out) {}
            ~Recorder() override {
                for (const auto& c : calls) {
                    out.push_back(c.op);
                }
            }
            std::vector<std::string>& out;
        };
        {
            TTrayIcon icon(nullptr, std::make_unique<Recorder>(ops));
            icon.SetActive(active);
        }
        // The re-apply queued by the add must not reach a freed component.
        QCoreApplication::processEvents();
        const std::vector<std::string> expected =
            active ? std::vector<std::string>{"add", "delete"} : std::vector<std::string>{};
        EXPECT_EQ(ops, expected);
    }
}

TEST(TrayIcon, RefusedAddLeavesActiveButNotShown) {
    Tray t;
    t.shell->accept = false;
    t.icon->SetActive(true);
    EXPECT_TRUE(t.icon->Active());
    EXPECT_FALSE(t.icon->Shown());
    t.shell->accept = true;
    t.icon->SetActive(false);
    t.icon->SetActive(true);
    EXPECT_TRUE(t.icon->Shown());
}

TEST(TrayIcon, ClicksReachTheirEventsAndTheMenuOpensFirst) {
    Tray t;
    std::vector<std::string> seen;
    std::size_t calls_before = 0;
    auto right_click = [&](int x, int y) {
        calls_before = t.shell->calls.size();
        t.shell->RightClick(x, y);
    };
    t.icon->OnClick = [&](TTrayIcon* sender) {
        EXPECT_EQ(sender, t.icon.get());
        seen.push_back("click");
    };
    t.icon->OnDblClick = [&](TTrayIcon*) { seen.push_back("double"); };
    t.icon->OnRightClick = [&](TTrayIcon* sender, TMouseButton button, TShiftState shift, int x,
                               int y) {
        EXPECT_EQ(sender, t.icon.get());
        EXPECT_EQ(button, mbRight);
        EXPECT_EQ(shift, 0u);
        const bool menu_first = t.shell->calls.size() > calls_before;
        seen.push_back("right " + std::to_string(x) + "," + std::to_string(y) +
                       (menu_first ? " after menu" : " no menu"));
    };
    t.icon->SetActive(true);
    t.shell->Click();
    t.shell->DoubleClick();
    right_click(10, 20);

    auto menu = std::make_unique<QMenu>();
    t.icon->SetPopupMenu(menu.get());
    right_click(30, 40);
    EXPECT_EQ(t.shell->calls.back().menu, menu.get());
    EXPECT_EQ(t.shell->calls.back().x, 30);
    EXPECT_EQ(t.shell->calls.back().y, 40);

    // A menu freed elsewhere is dropped, not used.
    menu.reset();
    EXPECT_EQ(t.icon->PopupMenu(), nullptr);
    right_click(5, 6);
    EXPECT_EQ(seen, (std::vector<std::string>{"click", "double", "right 10,20 no menu",
                                              "right 30,40 after menu", "right 5,6 no menu"}));
}

TEST(TrayIcon, IconWritesReachTheShellOnlyWhileActive) {
    Tray t;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    t.icon->SetIcon(QIcon(pixmap));
    EXPECT_TRUE(t.shell->calls.empty());
    EXPECT_FALSE(t.icon->Icon().isNull());
    t.icon->SetToolTip("x");
    t.icon->SetActive(true);
    EXPECT_FALSE(t.shell->calls.back().icon_null);
    t.icon->SetShowDesigning(true);
    EXPECT_FALSE(t.icon->ShowDesigning());
    EXPECT_EQ(t.shell->calls.size(), 1u);
}

TEST(QtTrayShell, TipIsPlainTextAndAnEmptyIconFallsBack) {
    EXPECT_EQ(os::TrayTipText("Jan de Vries 3"), QString("Jan de Vries 3"));
    const QString markup = os::TrayTipText("<b>Jan</b>");
    EXPECT_TRUE(markup.contains("&lt;b&gt;Jan&lt;/b&gt;"));
    EXPECT_FALSE(markup.contains("<b>"));
    EXPECT_FALSE(os::TrayIconOrDefault(QIcon()).isNull());
}

TEST(QtTrayShell, WithoutATrayTheAddIsRefused) {
    // The offscreen platform has no tray.
    os::QtTrayShell shell;
    ASSERT_FALSE(shell.TrayExists());
    EXPECT_FALSE(shell.Add(QIcon(), "x"));
    TTrayIcon icon(nullptr, std::make_unique<os::QtTrayShell>());
    icon.SetActive(true);
    EXPECT_TRUE(icon.Active());
    EXPECT_FALSE(icon.Shown());
}

}  // namespace
