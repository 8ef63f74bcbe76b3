#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/outlook/contact_item.h"
#include "platform/outlook/item.h"

namespace outlook {

class ContactStore;

inline constexpr int olFolderContacts = 10;
inline constexpr int olFolderJournal = 11;
inline constexpr int olContactItem = 2;
inline constexpr int olJournalItem = 4;

// A default folder. The journal folder is only written to: its Items are not offered.
class Folder {
  public:
    Folder(int kind, std::string path, std::shared_ptr<ContactStore> store);

    int Kind() const { return kind_; }
    const std::string& Path() const { return path_; }
    // The contacts as the folder holds them now; EAutomationError for the journal folder.
    ContactItems Items() const;
    const std::shared_ptr<ContactStore>& Store() const { return store_; }

  private:
    int kind_;
    std::string path_;
    std::shared_ptr<ContactStore> store_;
};

class NameSpace {
  public:
    NameSpace(std::shared_ptr<Folder> contacts, std::shared_ptr<Folder> journal);
    // 10 contacts, 11 journal; anything else raises.
    std::shared_ptr<Folder> GetDefaultFolder(int kind) const;

  private:
    std::shared_ptr<Folder> contacts_;
    std::shared_ptr<Folder> journal_;
};

// The store's application object. Creating it links the store in `root`, making its folders
// "contacten" and "logboek" (mode 0700).
class Application {
  public:
    // Only "Outlook.Application" names the store; `root` empty takes DefaultRoot().
    static std::shared_ptr<Application> Create(std::string_view className,
                                               const std::string& root = {});
    // $XDG_DATA_HOME/belverin, else ~/.local/share/belverin.
    static std::string DefaultRoot();

    // "MAPI" only.
    std::shared_ptr<NameSpace> GetNameSpace(std::string_view type) const;
    // 2 a contact, 4 a journal entry; unsaved until their Save.
    std::shared_ptr<Item> CreateItem(int kind) const;

  private:
    explicit Application(const std::string& root);

    std::shared_ptr<Folder> contacts_;
    std::shared_ptr<Folder> journal_;
    std::shared_ptr<NameSpace> namespace_;
};

}  // namespace outlook
