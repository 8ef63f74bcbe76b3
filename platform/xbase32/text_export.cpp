#include "platform/xbase32/text_export.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/rtl/text_encoding.h"
#include "platform/xbase32/area_view.h"
#include "platform/xbase32/error.h"
#include "platform/xbase32/field_value.h"
#include "platform/xbase32/work_area.h"

namespace xb {

namespace {

void AppendComma(std::string& line, const FieldDesc& f, std::string_view bytes) {
    switch (f.type) {
        case 'N':
            line += TrimLeft(TrimRight(bytes));
            return;
        case 'D':
            line += TrimRight(bytes);
            return;
        case 'L':
            line += StoredLogical(bytes[0]) ? 'T' : 'F';
            return;
        default:
            line += '"';
            for (char c : TrimRight(bytes)) {
                line += c;
                if (c == '"') {
                    line += '"';
                }
            }
            line += '"';
    }
}

}  // namespace

void ExportText(WorkArea& area, AreaView& view, const std::string& path, int kind) {
    if (kind != kExportCommaDelimited && kind != kExportBlankDelimited) {
        throw Error("unknown kind of text export " + std::to_string(kind));
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) {
        throw Error("cannot create \"" + path + "\": " + std::strerror(errno));
    }
    const auto& fields = area.Fields();
    std::string line;
    view.ForEachVisible([&](uint32_t, const char* record) {
        line.clear();
        bool first = true;
        for (const FieldDesc& f : fields) {
            if (f.type == 'M') {
                continue;
            }
            if (!first) {
                line += kind == kExportCommaDelimited ? ',' : ' ';
            }
            first = false;
            const std::string_view bytes(record + f.offset, static_cast<std::size_t>(f.width));
            if (kind == kExportCommaDelimited) {
                AppendComma(line, f, bytes);
            } else {
                line += bytes;
            }
        }
        const std::string out = rtl::Cp1252ToUtf8(line) + "\r\n";
        if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size()) {
            throw Error("cannot write \"" + path + "\": " + std::strerror(errno));
        }
    });
    if (std::fclose(file.release()) != 0) {
        throw Error("cannot write \"" + path + "\": " + std::strerror(errno));
    }
}

}  // namespace xb
