#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/contact_card.h"
#include "platform/outlook/item.h"
#include "platform/outlook/stored_file.h"

namespace outlook {

class ContactStore;

// A contact: its vCard, the file it came from and the version of that file it read.
class ContactItem : public Item {
  public:
    ContactItem(std::shared_ptr<ContactStore> store, ContactCard card, std::string path,
                FileStamp stamp);

    std::string GetText(std::string_view property) const override;
    void SetText(std::string_view property, std::string_view value) override;
    // "journal"
    bool GetBool(std::string_view property) const override;
    void SetBool(std::string_view property, bool value) override;
    // Refuses (EAutomationError) when the file changed on disk since it was read.
    void Save() override;

    bool Changed() const { return dirty_; }
    const ContactCard& Card() const { return card_; }

  private:
    std::weak_ptr<ContactStore> store_;  // the store holds its items
    ContactCard card_;
    FileStamp stamp_;
    bool dirty_ = false;
};

using ContactList = std::vector<std::shared_ptr<ContactItem>>;

// The contacts folder's files, read once and again only where a file changed. Files that
// are no contact (broken, another version, a group) are remembered and left alone.
class ContactStore : public std::enable_shared_from_this<ContactStore> {
  public:
    explicit ContactStore(std::string folder);

    const std::string& Folder() const { return folder_; }
    // The contacts in file-name order, as the folder holds them now.
    std::shared_ptr<const ContactList> Contacts();
    // A new file name: creation time, then a random part.
    std::string NewPath() const;

    // Around an item's write, so the store knows its own change without reading it back.
    bool BeginWrite() const;
    void EndWrite(bool wasCurrent, const std::string& path, const FileStamp& stamp,
                  std::shared_ptr<ContactItem> item);

  private:
    struct Entry {
        FileStamp stamp;
        std::shared_ptr<ContactItem> item;  // null for a file that is no contact
    };
    void Rescan();

    std::string folder_;
    std::map<std::string, Entry> entries_;  // by file name
    std::optional<FileStamp> folderStamp_;
    std::shared_ptr<const ContactList> list_;
};

// The Items of the contacts folder: a fixed list taken when asked for.
class ContactItems {
  public:
    explicit ContactItems(std::shared_ptr<const ContactList> list) : list_(std::move(list)) {}

    int Count() const { return static_cast<int>(list_->size()); }
    // Item i, counted from 1.
    std::shared_ptr<Item> GetItem(int index) const;
    // The first contact whose property equals the value exactly, or nullptr.
    std::shared_ptr<Item> Find(std::string_view property, std::string_view value) const;

  private:
    std::shared_ptr<const ContactList> list_;
};

}  // namespace outlook
