#include "platform/outlook/contact_item.h"

#include <dirent.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "platform/outlook/automation_error.h"

namespace outlook {

namespace {

bool IsJournalName(std::string_view property) {
    return EqualsNoCase(property, "journal");
}

bool HasCardExtension(std::string_view name) {
    return name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), ".vcf");
}

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A folder changed within this time of a scan may change again within the same clock tick of
// the file system, unseen; such a scan is not trusted for the next call.
constexpr std::int64_t kSettleNs = 50'000'000;

}  // namespace

ContactItem::ContactItem(std::shared_ptr<ContactStore> store, ContactCard card, std::string path,
                         FileStamp stamp)
    : store_(std::move(store)), card_(std::move(card)), stamp_(stamp) {
    path_ = std::move(path);
}

std::string ContactItem::GetText(std::string_view property) const {
    return card_.Get(property);
}

void ContactItem::SetText(std::string_view property, std::string_view value) {
    if (card_.Set(property, value)) {
        dirty_ = true;
    }
}

bool ContactItem::GetBool(std::string_view property) const {
    if (!IsJournalName(property)) {
        return Item::GetBool(property);
    }
    return card_.Journal();
}

void ContactItem::SetBool(std::string_view property, bool value) {
    if (!IsJournalName(property)) {
        Item::SetBool(property, value);
        return;
    }
    if (card_.SetJournal(value)) {
        dirty_ = true;
    }
}

void ContactItem::Save() {
    const bool isNew = path_.empty();
    if (!isNew && !dirty_) {
        return;
    }
    if (!isNew && StampOf(path_) != std::optional<FileStamp>(stamp_)) {
        throw EAutomationError("The contact was changed by another program: " + path_);
    }
    const std::shared_ptr<ContactStore> store = store_.lock();
    if (!store) {
        throw EAutomationError("The contacts folder is no longer linked");
    }
    const std::string path = isNew ? store->NewPath() : path_;
    const bool current = store->BeginWrite();
    stamp_ = WriteStoredFile(path, card_.Compose(), isNew);
    path_ = path;
    dirty_ = false;
    store->EndWrite(current, path_, stamp_,
                    std::static_pointer_cast<ContactItem>(shared_from_this()));
}

ContactStore::ContactStore(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '/') {
        folder_ += '/';
    }
}

std::string ContactStore::NewPath() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() %
        1000000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    static std::mt19937_64 random{std::random_device{}()};
    char name[96];
    std::snprintf(name, sizeof name, "%04d%02d%02dT%02d%02d%02d.%06lldZ-%08llx.vcf",
                  utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                  utc.tm_sec, static_cast<long long>(micros),
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFu));
    return folder_ + name;
}

bool ContactStore::BeginWrite() const {
    return folderStamp_.has_value() && StampOf(folder_) == folderStamp_;
}

void ContactStore::EndWrite(bool wasCurrent, const std::string& path, const FileStamp& stamp,
                            std::shared_ptr<ContactItem> item) {
    const std::string name = path.substr(folder_.size());
    auto it = entries_.find(name);
    if (it == entries_.end() || it->second.item != item) {
        list_.reset();
    }
    entries_[name] = Entry{stamp, std::move(item)};
    // The folder changed only by this write: no need to look at it again.
    folderStamp_ = wasCurrent ? StampOf(folder_) : std::nullopt;
    if (folderStamp_ && NowNs() - folderStamp_->mtimeNs < kSettleNs) {
        folderStamp_.reset();
    }
}

void ContactStore::Rescan() {
    const auto before = StampOf(folder_);
    if (!before) {
        throw EAutomationError("The contacts folder is missing: " + folder_);
    }
    DIR* dir = opendir(folder_.c_str());
    if (dir == nullptr) {
        throw EAutomationError("Unable to read the contacts folder: " + folder_);
    }
    std::map<std::string, Entry> fresh;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.' || !HasCardExtension(name)) {
            continue;
        }
        const auto stamp = StampOf(folder_ + name);
        if (!stamp) {
            continue;
        }
        auto old = entries_.find(name);
        if (old != entries_.end() && old->second.stamp == *stamp &&
            !(old->second.item && old->second.item->Changed())) {
            fresh.emplace(name, old->second);
            continue;
        }
        auto content = ReadStamped(folder_ + name);
        if (!content) {
            continue;
        }
        auto [kind, card] = ContactCard::Parse(content->bytes);
        Entry entry{content->stamp, nullptr};
        if (kind == CardKind::Contact) {
            entry.item = std::make_shared<ContactItem>(shared_from_this(), std::move(card),
                                                       folder_ + name, content->stamp);
        }
        fresh.emplace(name, std::move(entry));
    }
    closedir(dir);
    entries_ = std::move(fresh);
    list_.reset();
    folderStamp_ = before;
    if (NowNs() - before->mtimeNs < kSettleNs) {
        folderStamp_.reset();
    }
}

std::shared_ptr<const ContactList> ContactStore::Contacts() {
    bool stale = !folderStamp_ || StampOf(folder_) != folderStamp_;
    if (!stale && list_) {
        // A contact changed in memory and never saved is read again from its file.
        for (const auto& item : *list_) {
            stale = stale || item->Changed();
        }
    }
    if (stale) {
        Rescan();
    }
    if (!list_) {
        auto list = std::make_shared<ContactList>();
        list->reserve(entries_.size());
        for (const auto& [name, entry] : entries_) {
            if (entry.item) {
                list->push_back(entry.item);
            }
        }
        list_ = std::move(list);
    }
    return list_;
}

std::shared_ptr<Item> ContactItems::GetItem(int index) const {
    if (index < 1 || index > Count()) {
        throw EAutomationError("Array index out of bounds: " + std::to_string(index));
    }
    return (*list_)[static_cast<std::size_t>(index - 1)];
}

std::shared_ptr<Item> ContactItems::Find(std::string_view property, std::string_view value) const {
    if (!ContactCard::IsTextProperty(property)) {
        throw EAutomationError("Unknown name: " + std::string(property));
    }
    const std::size_t phone = PhoneIndex(property);
    for (const auto& item : *list_) {
        const bool equal = phone < kPhoneCount ? item->Card().Phone(phone) == value
                                               : item->Card().Get(property) == value;
        if (equal) {
            return item;
        }
    }
    return nullptr;
}

}  // namespace outlook
