#pragma once

#include <string>
#include <string_view>

#include "platform/outlook/item.h"
#include "platform/outlook/stored_file.h"

namespace outlook {

// A journal entry: one iCalendar file holding one VJOURNAL. Properties: "subject" (SUMMARY),
// "body" (DESCRIPTION), "categories" (CATEGORIES, items joined by ";") and "contactnames"
// (CONTACT).
class JournalItem : public Item {
  public:
    // A new entry for the folder, started now.
    explicit JournalItem(std::string folder);

    std::string GetText(std::string_view property) const override;
    void SetText(std::string_view property, std::string_view value) override;
    void Save() override;

    // The entry as its file holds it: CR LF, folded at 75 octets.
    std::string Compose() const;

  private:
    std::string& Field(std::string_view property);

    std::string folder_;
    std::string uid_;
    std::string stamp_;  // DTSTAMP and DTSTART, UTC
    std::string subject_;
    std::string body_;
    std::string categories_;
    std::string contactnames_;
    FileStamp fileStamp_;
    bool dirty_ = true;
};

}  // namespace outlook
