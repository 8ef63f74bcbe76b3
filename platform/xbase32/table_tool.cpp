#include "platform/xbase32/table_tool.h"

#include <cctype>
#include <cstdio>

#include "platform/rtl/text_encoding.h"
#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/error.h"
#include "platform/xbase32/field_value.h"

namespace xb {

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    size_t b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

int Number(const std::string& text, const std::string& spec) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        throw Error("bad number in field " + spec);
    }
    return std::stoi(text);
}

FieldDesc ParseOne(const std::string& spec) {
    const std::vector<std::string> p = Split(spec, ':');
    if (p.size() < 2 || p.size() > 4 || p[1].size() != 1) {
        throw Error("field " + spec + " is not NAME:TYPE[:WIDTH[:DECIMALS]]");
    }
    FieldDesc f;
    f.name = p[0];
    for (auto& c : f.name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (f.name.empty() || f.name.size() > 10 ||
        !std::isalpha(static_cast<unsigned char>(f.name[0])) ||
        f.name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos) {
        throw Error("field name " + p[0] + " must be 1 to 10 letters, digits or _");
    }
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(p[1][0])));
    const int width = p.size() > 2 ? Number(p[2], spec) : 0;
    const int decimals = p.size() > 3 ? Number(p[3], spec) : 0;
    switch (f.type) {
        case 'C':
            if (width < 1 || width > 254 || p.size() > 3) {
                throw Error("field " + spec + " needs a width of 1 to 254");
            }
            f.width = width;
            break;
        case 'N':
            if (width < 1 || width > 20 || (decimals > 0 && decimals > width - 2)) {
                throw Error("field " + spec + " needs a width of 1 to 20 and room for decimals");
            }
            f.width = width;
            f.decimals = decimals;
            break;
        case 'D':
        case 'L':
        case 'M':
            if (p.size() > 2) {
                throw Error("field " + spec + " takes no width");
            }
            f.width = f.type == 'D' ? 8 : (f.type == 'L' ? 1 : 10);
            break;
        default:
            throw Error("field " + spec + " has an unknown type");
    }
    return f;
}

std::string Shown(std::string_view bytes) {
    std::string out;
    for (unsigned char c : rtl::Cp1252ToUtf8(bytes)) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::vector<FieldDesc> ParseFieldSpecs(const std::vector<std::string>& args) {
    std::vector<FieldDesc> fields;
    for (const auto& arg : args) {
        for (const auto& part : Split(arg, ',')) {
            const std::string spec = Trim(part);
            if (spec.empty()) {
                continue;
            }
            FieldDesc f = ParseOne(spec);
            for (const auto& g : fields) {
                if (g.name == f.name) {
                    throw Error("field " + f.name + " is given twice");
                }
            }
            fields.push_back(std::move(f));
        }
    }
    if (fields.empty()) {
        throw Error("no fields given");
    }
    return fields;
}

void DumpTable(const std::string& path, std::ostream& out) {
    auto table = DbfTable::Open(path, OpenMode::kReadOnly);
    const DbfHeader& h = table->Header();
    const uint32_t count = table->RecordCount();
    char line[160];
    std::snprintf(line, sizeof line,
                  "version 0x%02X updated %04d-%02d-%02d records %u header %u record %u "
                  "code page 0x%02X\n",
                  h.version, h.year, h.month, h.day, count, h.headerLength, h.recordLength,
                  h.codePage);
    out << "table " << table->Path() << "\n" << line;
    if (table->Memo() != nullptr) {
        out << "memo " << table->Memo()->Path() << " block size " << table->Memo()->BlockSize()
            << "\n";
    }
    out << "fields " << h.fields.size() << "\n";
    for (size_t i = 0; i < h.fields.size(); ++i) {
        const auto& f = h.fields[i];
        std::snprintf(line, sizeof line, "%4zu %-10s %c %3d %2d offset %d\n", i + 1, f.name.c_str(),
                      f.type, f.width, f.decimals, f.offset + 1);
        out << line;
    }
    out << "records\n";
    std::string rec(static_cast<size_t>(h.recordLength), ' ');
    for (uint32_t r = 1; r <= count; ++r) {
        table->ReadRecord(r, rec.data());
        out << r << (rec[0] == '*' ? " *" : "  ");
        for (const auto& f : h.fields) {
            std::string_view bytes(rec.data() + f.offset, static_cast<size_t>(f.width));
            std::string value;
            if (f.type == 'M') {
                value = table->Memo()->Read(ParseMemoPointer(bytes));
            } else {
                value = std::string(TrimRight(bytes));
            }
            out << " " << f.name << "=[" << Shown(value) << "]";
        }
        out << "\n";
    }
}

int RunTableTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const char* usage =
        "usage: xbase32 create <table> <NAME:C:20,NAME:N:10:2,NAME:D,NAME:L,NAME:M...>\n"
        "       xbase32 dump <table>\n";
    try {
        if (args.size() >= 3 && args[0] == "create") {
            const std::vector<std::string> specs(args.begin() + 2, args.end());
            DbfTable::Create(args[1], ParseFieldSpecs(specs), MemoFile::kDefaultBlockSize);
            return 0;
        }
        if (args.size() == 2 && args[0] == "dump") {
            DumpTable(args[1], out);
            return 0;
        }
        err << usage;
        return 2;
    } catch (const std::exception& e) {
        err << "xbase32: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace xb
