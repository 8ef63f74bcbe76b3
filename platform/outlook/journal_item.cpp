#include "platform/outlook/journal_item.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#include "platform/outlook/automation_error.h"
#include "platform/outlook/content_line.h"

namespace outlook {

namespace {

std::string RandomHex(int digits) {
    static std::mt19937_64 random{std::random_device{}()};
    std::string out;
    for (int i = 0; i < digits; ++i) {
        out += "0123456789abcdef"[random() & 0xF];
    }
    return out;
}

}  // namespace

JournalItem::JournalItem(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '/') {
        folder_ += '/';
    }
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    stamp_ = text;
    uid_ = RandomHex(32) + "@belverin";
}

std::string& JournalItem::Field(std::string_view property) {
    if (EqualsNoCase(property, "subject")) {
        return subject_;
    }
    if (EqualsNoCase(property, "body")) {
        return body_;
    }
    if (EqualsNoCase(property, "categories")) {
        return categories_;
    }
    if (EqualsNoCase(property, "contactnames")) {
        return contactnames_;
    }
    throw EAutomationError("Unknown name: " + std::string(property));
}

std::string JournalItem::GetText(std::string_view property) const {
    return const_cast<JournalItem*>(this)->Field(property);
}

void JournalItem::SetText(std::string_view property, std::string_view value) {
    std::string& field = Field(property);
    if (field != value) {
        field = std::string(value);
        dirty_ = true;
    }
}

std::string JournalItem::Compose() const {
    std::vector<std::string> lines = {"BEGIN:VCALENDAR",
                                      "VERSION:2.0",
                                      "PRODID:-//Belverin//Belverin//NL",
                                      "BEGIN:VJOURNAL",
                                      "UID:" + uid_,
                                      "DTSTAMP:" + stamp_,
                                      "DTSTART:" + stamp_,
                                      "SUMMARY:" + EscapeText(subject_),
                                      "DESCRIPTION:" + EscapeText(body_)};
    if (!categories_.empty()) {
        std::vector<std::string> items;
        std::size_t start = 0;
        for (;;) {
            const std::size_t semi = categories_.find(';', start);
            items.push_back(categories_.substr(
                start, semi == std::string::npos ? std::string::npos : semi - start));
            if (semi == std::string::npos) {
                break;
            }
            start = semi + 1;
        }
        lines.push_back("CATEGORIES:" + JoinValue(items, ','));
    }
    if (!contactnames_.empty()) {
        lines.push_back("CONTACT:" + EscapeText(contactnames_));
    }
    lines.push_back("END:VJOURNAL");
    lines.push_back("END:VCALENDAR");
    std::string out;
    for (const std::string& line : lines) {
        out += FoldLine(line);
    }
    return out;
}

void JournalItem::Save() {
    const bool isNew = path_.empty();
    if (!dirty_) {
        return;
    }
    if (!isNew && StampOf(path_) != std::optional<FileStamp>(fileStamp_)) {
        throw EAutomationError("The journal entry was changed by another program: " + path_);
    }
    const std::string path = isNew ? folder_ + stamp_ + "-" + RandomHex(8) + ".ics" : path_;
    fileStamp_ = WriteStoredFile(path, Compose(), isNew);
    path_ = path;
    dirty_ = false;
}

}  // namespace outlook
