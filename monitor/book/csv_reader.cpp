#include "monitor/book/csv_reader.h"

#include <exception>
#include <optional>

#include "monitor/book/csv_line.h"
#include "platform/rtl/text_encoding.h"
#include "platform/rtl/whole_file.h"

namespace book {

namespace {

bool Blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

}  // namespace

CsvFile ReadCsv(std::string_view bytes, char separator) {
    CsvFile file;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        file.error = "het bestand is UTF-16; sla het op als UTF-8 of ANSI";
        return file;
    }
    if (bytes.find('\0') != std::string_view::npos) {
        file.error = "het bestand bevat geen tekst";
        return file;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    std::string converted;
    std::string_view text = bytes;
    if (!rtl::IsValidUtf8(bytes)) {
        converted = rtl::Cp1252ToUtf8(bytes);
        text = converted;
    }

    const std::vector<std::string_view> lines = Lines(text);
    // The lines of a record still open, kept apart in case the quote never closes.
    std::vector<std::string_view> open;
    auto add = [&](std::string_view line) {
        if (!Blank(line)) {
            file.records.emplace_back(line);
        }
    };
    for (std::string_view line : lines) {
        if (open.empty()) {
            if (Blank(line)) {
                continue;
            }
            if (CsvLine::EndsInsideQuotes(line, separator)) {
                open.push_back(line);
            } else {
                add(line);
            }
            continue;
        }
        open.push_back(line);
        if (!CsvLine::EndsInsideQuotes(line, separator, true)) {
            std::string record;
            for (std::size_t i = 0; i < open.size(); ++i) {
                if (i != 0) {
                    record += "\r\n";
                }
                record += open[i];
            }
            file.records.push_back(std::move(record));
            open.clear();
        }
    }
    for (std::string_view line : open) {
        add(line);
    }
    return file;
}

CsvFile ReadCsvFile(const std::string& path, char separator) {
    std::optional<std::string> bytes;
    try {
        bytes = rtl::ReadWholeFile(path);
    } catch (const std::exception& error) {
        CsvFile file;
        file.error = error.what();
        return file;
    }
    if (!bytes) {
        CsvFile file;
        file.error = "het bestand bestaat niet";
        return file;
    }
    return ReadCsv(*bytes, separator);
}

}  // namespace book
