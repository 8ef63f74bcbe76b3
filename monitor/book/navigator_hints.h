#pragma once

namespace ui {
class TDBNavigator;
}

namespace book {

// The table windows' navigator hints, naming each button's key.
void SetBookNavigatorHints(ui::TDBNavigator& navigator);

}  // namespace book
