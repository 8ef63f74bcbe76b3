#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/outlook/content_line.h"

namespace outlook {

// The phone properties of a contact, by the names the program uses.
inline constexpr std::size_t kPhoneCount = 19;
extern const std::array<std::string_view, kPhoneCount> kPhoneProperties;

// Index of a phone property (any case), or kPhoneCount.
std::size_t PhoneIndex(std::string_view property);

enum class CardKind { Contact, Group, Broken };

// One contact as a vCard: its lines in file order, read and written by property name. Lines
// the store does not understand are kept as they were, in their place.
class ContactCard {
  public:
    // An empty vCard 3.0.
    static ContactCard New(std::string_view uid);
    // Reads a file's bytes: vCard 3.0 or 4.0, UTF-8 or else Windows-1252, CR LF or LF.
    static std::pair<CardKind, ContactCard> Parse(std::string_view bytes);

    // The card as UTF-8 with CR LF, folded at 75 octets.
    std::string Compose() const;

    // Whether the name is a text property of a contact (any case).
    static bool IsTextProperty(std::string_view property);

    // Raise EAutomationError for a name that is no contact property.
    std::string Get(std::string_view property) const;
    // Returns whether the card changed.
    bool Set(std::string_view property, std::string_view value);
    bool Journal() const;
    bool SetJournal(bool on);

    const std::string& Phone(std::size_t index) const { return phone_[index]; }
    std::string Version() const;

  private:
    ContactCard() = default;

    int Find(std::string_view name) const;
    int FindAddress(std::string_view type) const;
    int AddLine(std::string text);
    void RemoveLine(int index);
    std::string Component(int line, std::size_t index) const;
    bool SetComponent(int& line, std::string_view name, std::string_view type, std::size_t count,
                      std::size_t index, std::string_view value);
    bool SetSingle(std::string_view name, const std::string& raw);
    bool SetPhone(std::size_t index, std::string_view value);
    bool SetName(std::size_t component, std::string_view value);
    void AssignPhones();

    std::vector<ContentLine> lines_;
    std::array<int, kPhoneCount> tel_{};
    std::array<std::string, kPhoneCount> phone_{};
};

}  // namespace outlook
