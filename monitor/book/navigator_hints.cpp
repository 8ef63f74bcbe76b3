#include "monitor/book/navigator_hints.h"

#include <array>

#include "platform/ui/db_navigator.h"

namespace book {

namespace {

struct Hint {
    ui::TNavigateBtn button;
    const char* text;
};
constexpr std::array<Hint, ui::kNavigateButtonCount> kHints = {{
    {ui::nbFirst, "Eerste (Ctrl+Home)"},
    {ui::nbPrior, "Vorige (Cursor-Omhoog)"},
    {ui::nbNext, "Volgende (Cursor-Omlaag)"},
    {ui::nbLast, "Laatste (Ctrl+End)"},
    {ui::nbInsert, "Invoegen (Ctrl+Insert)"},
    {ui::nbDelete, "Wissen (Ctrl+Del)"},
    {ui::nbEdit, "Bewerken"},
    {ui::nbPost, "Opslaan"},
    {ui::nbCancel, "Annuleren (Esc)"},
    {ui::nbRefresh, "Opfrissen"},
}};

}  // namespace

void SetBookNavigatorHints(ui::TDBNavigator& navigator) {
    for (const Hint& hint : kHints) {
        navigator.SetHint(hint.button, hint.text);
    }
}

}  // namespace book
