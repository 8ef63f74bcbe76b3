#pragma once

#include <string>

namespace book {

// What the call-log core asks of its window and of the program around it.
class TelefoonLogPort {
  public:
    virtual ~TelefoonLogPort() = default;

    // The splash form's step text, repainted at once.
    virtual void SplashStep(const std::string& text) = 0;
    // An error box with an OK button.
    virtual void ErrorBox(const std::string& text) = 0;
    // A plain message box.
    virtual void MessageBox(const std::string& text) = 0;
    // An exception that ended an operation, reported as the program reports one.
    virtual void ShowException(const std::string& message) = 0;

    // The window's position, size and font in [ftelefoonlog] of the settings file.
    virtual void RestoreWindowLayout() = 0;
    virtual void StoreWindowLayout() = 0;
    // The window's and the grid's layout under a grid name in the grid-layout file.
    virtual void LoadGridLayout(const std::string& name) = 0;
    virtual void SaveGridLayout(const std::string& name) = 0;

    // The record counter's text.
    virtual void ShowCounter(const std::string& text) = 0;
    // The check mark of the "Sorteren" menu: the item at `index`, none for -1.
    virtual void CheckSortItem(int index) = 0;
    virtual int CheckedSortItem() const = 0;
};

}  // namespace book
