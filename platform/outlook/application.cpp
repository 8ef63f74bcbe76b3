#include "platform/outlook/application.h"

#include <cstdlib>
#include <random>

#include "platform/outlook/automation_error.h"
#include "platform/outlook/journal_item.h"
#include "platform/outlook/stored_file.h"

namespace outlook {

Folder::Folder(int kind, std::string path, std::shared_ptr<ContactStore> store)
    : kind_(kind), path_(std::move(path)), store_(std::move(store)) {}

ContactItems Folder::Items() const {
    if (!store_) {
        throw EAutomationError("The journal folder's items are not offered");
    }
    return ContactItems(store_->Contacts());
}

NameSpace::NameSpace(std::shared_ptr<Folder> contacts, std::shared_ptr<Folder> journal)
    : contacts_(std::move(contacts)), journal_(std::move(journal)) {}

std::shared_ptr<Folder> NameSpace::GetDefaultFolder(int kind) const {
    if (kind == olFolderContacts) {
        return contacts_;
    }
    if (kind == olFolderJournal) {
        return journal_;
    }
    throw EAutomationError("Invalid default folder: " + std::to_string(kind));
}

std::string Application::DefaultRoot() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') {
        std::string base = data;
        while (base.size() > 1 && base.back() == '/') {
            base.pop_back();
        }
        return base + "/belverin/";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        throw EAutomationError("No home folder for the contacts");
    }
    return std::string(home) + "/.local/share/belverin/";
}

std::shared_ptr<Application> Application::Create(std::string_view className,
                                                 const std::string& root) {
    if (!EqualsNoCase(className, "Outlook.Application")) {
        throw EAutomationError("Invalid class string: " + std::string(className));
    }
    return std::shared_ptr<Application>(new Application(root.empty() ? DefaultRoot() : root));
}

Application::Application(const std::string& root) {
    const std::string base = root.back() == '/' ? root : root + "/";
    MakePrivateFolder(base + "contacten/");
    MakePrivateFolder(base + "logboek/");
    contacts_ = std::make_shared<Folder>(olFolderContacts, base + "contacten/",
                                         std::make_shared<ContactStore>(base + "contacten/"));
    journal_ = std::make_shared<Folder>(olFolderJournal, base + "logboek/", nullptr);
    namespace_ = std::make_shared<NameSpace>(contacts_, journal_);
}

std::shared_ptr<NameSpace> Application::GetNameSpace(std::string_view type) const {
    if (!EqualsNoCase(type, "MAPI")) {
        throw EAutomationError("Invalid name space: " + std::string(type));
    }
    return namespace_;
}

std::shared_ptr<Item> Application::CreateItem(int kind) const {
    if (kind == olContactItem) {
        static std::mt19937_64 random{std::random_device{}()};
        std::string uid;
        for (int i = 0; i < 32; ++i) {
            uid += "0123456789abcdef"[random() & 0xF];
        }
        // The store behind the contacts folder, so that the new file joins its list.
        return std::make_shared<ContactItem>(
            contacts_->Store(), ContactCard::New(uid + "@belverin"), std::string(), FileStamp{});
    }
    if (kind == olJournalItem) {
        return std::make_shared<JournalItem>(journal_->Path());
    }
    throw EAutomationError("Invalid item type: " + std::to_string(kind));
}

}  // namespace outlook
