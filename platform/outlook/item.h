#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace outlook {

// Opens a saved item's file for the user; the program hands it to the desktop, tests record.
class DocumentOpener {
  public:
    virtual ~DocumentOpener() = default;
    // Whether the desktop took the file.
    virtual bool Open(const std::string& path) = 0;
};

// The opener every Display uses; nullptr (the start) makes Display fail.
void SetDocumentOpener(DocumentOpener* opener);

// An item of the store, reached by property name without regard to case, as an automation
// object is. Every failure raises EAutomationError.
class Item : public std::enable_shared_from_this<Item> {
  public:
    virtual ~Item() = default;

    virtual std::string GetText(std::string_view property) const = 0;
    virtual void SetText(std::string_view property, std::string_view value) = 0;
    virtual bool GetBool(std::string_view property) const;
    virtual void SetBool(std::string_view property, bool value);

    // Writes the item when it is new or changed; an unchanged item writes nothing.
    virtual void Save() = 0;
    // Opens the saved file through the document opener.
    void Display() const;
    // 0 saves, 1 does not; the store keeps no window, so closing is otherwise nothing.
    void Close(int saveMode);

    // The item's file; empty until it was first saved.
    const std::string& Path() const { return path_; }

  protected:
    std::string path_;
};

}  // namespace outlook
