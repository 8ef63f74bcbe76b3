#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace db {
class TDataSet;
}

namespace book {

// What the search works on: a data set and how its window repaints its grid.
struct ZoekDoel {
    db::TDataSet* data = nullptr;
    std::function<void()> repaint;
};

// What the search needs of the desktop.
class ZoekPort {
  public:
    virtual ~ZoekPort() = default;
    virtual void Message(const std::string& text) = 0;
    virtual void ErrorBox(const std::string& text) = 0;
    virtual void Busy(bool on) = 0;
};

// The search of the program: one target, set by the window that opens the search, and the
// last search text in lower case; both outlive the search window.
class Zoeken {
  public:
    void SetDoel(ZoekDoel doel) { doel_ = std::move(doel); }
    const ZoekDoel& Doel() const { return doel_; }
    const std::string& LaatsteTekst() const { return laatste_; }

    // "&Zoek eerste" (from the first record) or "&Volgende" (from the one after the current):
    // the first record, in the current order and filter, any field of which (memo included)
    // holds the text, or equals it when `partial` is off, both in lower case. An empty text
    // is found by no partial search. Without a hit the data set returns to where it was.
    // Answers whether a record was found.
    bool Zoek(std::string_view text, bool partial, bool fromFirst, ZoekPort& port);

  private:
    ZoekDoel doel_;
    std::string laatste_;
};

// The program's one search.
Zoeken& zoeken();

}  // namespace book
