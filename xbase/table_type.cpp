#include "xbase/table_type.h"

#include <array>

#include "platform/rtl/string_list.h"

namespace xbase {

namespace {

constexpr std::array<const char*, 7> kDriverNames{"PARADOX", "PARADOX", "DBASE", "ASCIIDRV",
                                                  "SXNTX",   "SXFOX",   "SXNSX"};

std::string_view FilePart(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string_view WithoutExtension(std::string_view name) {
    return name.substr(0, name.size() - ExtensionOf(name).size());
}

}  // namespace

std::string ExtensionOf(std::string_view fileName) {
    const std::string_view file = FilePart(fileName);
    const std::size_t dot = file.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(file.substr(dot));
}

std::string DriverNameOf(TTableType type, std::string_view tableName) {
    if (type == ttDefault) {
        const std::string ext = ExtensionOf(tableName);
        if (rtl::SameTextAscii(ext, ".DBF")) {
            type = ttSXFOX;
        } else if (rtl::SameTextAscii(ext, ".TXT")) {
            type = ttASCII;
        }
    }
    return kDriverNames.at(type);
}

bool IsEngineType(TTableType type) {
    return type == ttSXNTX || type == ttSXFOX || type == ttSXNSX;
}

bool IsXBaseTable(TTableType type, std::string_view tableName) {
    if (type == ttDBase || IsEngineType(type)) {
        return true;
    }
    return rtl::SameTextAscii(ExtensionOf(tableName), ".DBF");
}

bool IsProductionIndex(TTableType type, std::string_view tableName, std::string_view indexName) {
    if (!IsXBaseTable(type, tableName) || indexName.empty()) {
        return true;
    }
    if (rtl::SameTextAscii(ExtensionOf(indexName), ".NDX")) {
        return false;
    }
    return rtl::SameTextAscii(WithoutExtension(FilePart(indexName)),
                              WithoutExtension(FilePart(tableName)));
}

}  // namespace xbase
