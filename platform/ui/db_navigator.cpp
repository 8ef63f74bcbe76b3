#include "platform/ui/db_navigator.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <exception>

#include "platform/db/data_link.h"
#include "platform/db/data_set.h"
#include "platform/db/data_source.h"
#include "platform/ui/dialogs.h"

namespace ui {

namespace {

struct ButtonLook {
    const char* glyph;
    const char* hint;
};

constexpr std::array<ButtonLook, kNavigateButtonCount> kLooks{{
    {"|\u25C0", "Eerste record"},
    {"\u25C0", "Vorige record"},
    {"\u25B6", "Volgende record"},
    {"\u25B6|", "Laatste record"},
    {"+", "Record invoegen"},
    {"\u2212", "Record wissen"},
    {"\u25B2", "Record bewerken"},
    {"\u2714", "Record opslaan"},
    {"\u2716", "Bewerken annuleren"},
    {"\u21BB", "Gegevens opfrissen"},
}};

}  // namespace

class TDBNavigator::Link : public db::TDataLink {
  public:
    explicit Link(TDBNavigator& navigator) : navigator_(navigator) {}

  protected:
    void ActiveChanged() override { navigator_.UpdateButtons(); }
    void DataSetChanged() override { navigator_.UpdateButtons(); }
    void DataSetScrolled(int distance) override {
        (void)distance;
        navigator_.UpdateButtons();
    }
    void EditingChanged() override { navigator_.UpdateButtons(); }

  private:
    TDBNavigator& navigator_;
};

TDBNavigator::TDBNavigator(QWidget* parent)
    : QWidget(parent), link_(std::make_unique<Link>(*this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kNavigateButtonCount; ++i) {
        auto* button = new QToolButton(this);
        const auto kind = static_cast<TNavigateBtn>(i);
        button->setText(QString::fromUtf8(kLooks[static_cast<std::size_t>(i)].glyph));
        button->setToolTip(QString::fromUtf8(kLooks[static_cast<std::size_t>(i)].hint));
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumWidth(24);
        connect(button, &QToolButton::clicked, this, [this, kind] {
            try {
                BtnClick(kind);
            } catch (const std::exception& error) {
                ShowException(error);
            }
        });
        layout->addWidget(button);
        buttons_[static_cast<std::size_t>(i)] = button;
    }
    UpdateButtons();
}

TDBNavigator::~TDBNavigator() {
    link_->SetDataSource(nullptr);
}

db::TDataSource* TDBNavigator::DataSource() const {
    return link_->DataSource();
}

void TDBNavigator::SetDataSource(db::TDataSource* source) {
    link_->SetDataSource(source);
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TButtonSet buttons) {
    visible_ = buttons & kAllNavigateButtons;
    for (int i = 0; i < kNavigateButtonCount; ++i) {
        buttons_[static_cast<std::size_t>(i)]->setVisible(
            visible_ & NavigateButton(static_cast<TNavigateBtn>(i)));
    }
}

std::string TDBNavigator::Hint(TNavigateBtn button) const {
    return Button(button)->toolTip().toStdString();
}

void TDBNavigator::SetHint(TNavigateBtn button, const std::string& hint) {
    Button(button)->setToolTip(QString::fromStdString(hint));
}

QToolButton* TDBNavigator::Button(TNavigateBtn button) const {
    return buttons_.at(static_cast<std::size_t>(button));
}

bool TDBNavigator::ButtonEnabled(TNavigateBtn button) const {
    return Button(button)->isEnabled();
}

void TDBNavigator::UpdateButtons() {
    db::TDataSet* data_set = link_->DataSet();
    const bool active = link_->Active() && data_set != nullptr;
    bool up = false;
    bool down = false;
    bool editing = false;
    bool browsing_modifiable = false;
    bool empty = true;
    if (active) {
        // At the only record a filter leaves, neither way leads anywhere.
        try {
            up = data_set->HasPriorRecord();
            down = data_set->HasNextRecord();
        } catch (const std::exception&) {
            up = !data_set->Bof();
            down = !data_set->Eof();
        }
        editing = link_->Editing();
        empty = data_set->IsEmpty();
        browsing_modifiable =
            data_set->State() == db::dsBrowse && data_set->CanModify() && !link_->ReadOnly();
    }
    Button(nbFirst)->setEnabled(up);
    Button(nbPrior)->setEnabled(up);
    Button(nbNext)->setEnabled(down);
    Button(nbLast)->setEnabled(down);
    Button(nbInsert)->setEnabled(browsing_modifiable);
    Button(nbDelete)->setEnabled(browsing_modifiable && !empty);
    Button(nbEdit)->setEnabled(browsing_modifiable);
    Button(nbPost)->setEnabled(editing);
    Button(nbCancel)->setEnabled(editing);
    Button(nbRefresh)->setEnabled(active);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
    db::TDataSet* data_set = link_->DataSet();
    if (data_set == nullptr || !link_->Active()) {
        return;
    }
    if (BeforeAction) {
        BeforeAction(*this, button);
    }
    switch (button) {
        case nbFirst:
            data_set->First();
            break;
        case nbPrior:
            data_set->Prior();
            break;
        case nbNext:
            data_set->Next();
            break;
        case nbLast:
            data_set->Last();
            break;
        case nbInsert:
            data_set->Insert();
            break;
        case nbDelete:
            if (ConfirmDelete && dialogs().MessageDlg("Record wissen?", MsgDlgType::Confirmation,
                                                      mbOKCancel) != mrOk) {
                return;
            }
            data_set->Delete();
            break;
        case nbEdit:
            data_set->Edit();
            break;
        case nbPost:
            data_set->Post();
            break;
        case nbCancel:
            data_set->Cancel();
            break;
        case nbRefresh:
            data_set->Refresh();
            break;
    }
    if (OnClick) {
        OnClick(*this, button);
    }
}

}  // namespace ui
