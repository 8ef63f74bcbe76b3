#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

namespace db {
class TDataSource;
}

class QToolButton;

namespace ui {

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh,
};
inline constexpr int kNavigateButtonCount = 10;

// A set of buttons, combined from NavigateButtons(...).
using TButtonSet = unsigned;
inline constexpr TButtonSet NavigateButton(TNavigateBtn button) {
    return 1u << static_cast<unsigned>(button);
}
inline constexpr TButtonSet kAllNavigateButtons = (1u << kNavigateButtonCount) - 1;

// The row of buttons that moves and edits the data source's data set: first, prior, next, last,
// insert, delete, edit, post, cancel, refresh. A button is enabled only when its action makes
// sense in the data set's state; delete asks first.
class TDBNavigator : public QWidget {
    Q_OBJECT

  public:
    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;

    db::TDataSource* DataSource() const;
    void SetDataSource(db::TDataSource* source);
    TButtonSet VisibleButtons() const { return visible_; }
    void SetVisibleButtons(TButtonSet buttons);
    // Hints per button kind.
    std::string Hint(TNavigateBtn button) const;
    void SetHint(TNavigateBtn button, const std::string& hint);
    bool ConfirmDelete = true;

    bool ButtonEnabled(TNavigateBtn button) const;
    QToolButton* Button(TNavigateBtn button) const;
    // Does what a click on the button does.
    void BtnClick(TNavigateBtn button);

    // Runs before the action; may raise to stop it.
    std::function<void(TDBNavigator&, TNavigateBtn)> BeforeAction;
    // Runs after the action.
    std::function<void(TDBNavigator&, TNavigateBtn)> OnClick;

  private:
    class Link;
    friend class Link;

    void UpdateButtons();

    std::unique_ptr<Link> link_;
    std::array<QToolButton*, kNavigateButtonCount> buttons_{};
    TButtonSet visible_ = kAllNavigateButtons;
};

}  // namespace ui
