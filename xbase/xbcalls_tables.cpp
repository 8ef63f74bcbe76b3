// Opening and closing tables, their descriptors, index switching and the field list.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/rtl/text_encoding.h"
#include "xbase/descriptor_cache.h"
#include "xbase/engine_api.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/names.h"
#include "xbase/work_area.h"
#include "xbase/xbcalls.h"

namespace xbase {

namespace {

constexpr intptr_t kPropIndexCount = 3000;
constexpr intptr_t kPropDescending = 3002;
constexpr intptr_t kPropOneTagPerFile = 65006;
constexpr intptr_t kPropTextForm = 65012;

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

int32_t DriverFromText(const std::string& driver) {
    const std::string upper = UpperAscii(driver);
    if (upper == "SXNTX")
        return SX_NTX;
    if (upper == "SXNSX")
        return SX_NSX;
    return SX_FOX;
}

const char* DriverText(int32_t driver) {
    switch (driver) {
        case SX_NTX:
            return "SXNTX";
        case SX_NSX:
            return "SXNSX";
        default:
            return "SXFOX";
    }
}

// Index files lie beside the table under any case of their name.
bool ExistsBeside(const std::string& tablePath, const std::string& extension) {
    const std::filesystem::path table(tablePath);
    const std::string wanted = UpperAscii(StemOf(table.filename().string()) + extension);
    std::filesystem::path folder = table.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (UpperAscii(it->path().filename().string()) == wanted) {
            return true;
        }
    }
    return false;
}

int32_t DriverFromFile(const std::string& path, int32_t fallback) {
    std::ifstream file(path, std::ios::binary);
    char first = 0;
    if (!file.get(first)) {
        return fallback;
    }
    switch (static_cast<unsigned char>(first)) {
        case 0x03:
        case 0x06: {
            int32_t driver = fallback;
            if (ExistsBeside(path, ".NSX"))
                driver = SX_NSX;
            if (ExistsBeside(path, ".CDX"))
                driver = SX_FOX;
            return driver;
        }
        case 0x83:
        case 0x86:
            return SX_NTX;
        case 0xE5:
        case 0xE6:
            return SX_NSX;
        case 0xF5:
        case 0xF6:
            return SX_FOX;
        default:
            return fallback;
    }
}

std::string AliasPrefix(const std::string& path) {
    std::string prefix = StemOf(FileNameOf(path)).substr(0, 8);
    std::replace_if(
        prefix.begin(), prefix.end(), [](char c) { return c == '~' || c == '-' || c == ' '; }, '_');
    return prefix;
}

// The first alias the engine does not know yet: the prefix, then prefix_1, prefix_2, ...
std::string FreeAlias(const std::string& path) {
    const EngineApi& e = Engine();
    const std::string prefix = AliasPrefix(path);
    std::string alias = prefix;
    // More tries than the engine has areas cannot be needed.
    for (int n = 1; n <= kMaxArea + 1 && e.sx_WorkArea(alias.c_str()) != 0; ++n) {
        alias = prefix + "_" + std::to_string(n);
    }
    return alias;
}

void Describe(char letter, int width, int decimals, FieldDescriptor& l, FieldDescriptor& p) {
    auto set = [](FieldDescriptor& d, uint16_t type, uint16_t sub, int u1, int u2, int len) {
        d.fieldType = type;
        d.subType = sub;
        d.units1 = static_cast<int16_t>(u1);
        d.units2 = static_cast<int16_t>(u2);
        d.length = static_cast<uint16_t>(len);
    };
    switch (letter) {
        case 'C':
            set(l, kFldText, 0, width, 0, width + 1);
            set(p, kPhysChar, 0, width, 0, width);
            break;
        case 'V':
            set(l, kFldText, 0, 254, 0, 255);
            set(p, kPhysMemo, 0, 254, 0, 255);
            break;
        case 'D':
            set(l, kFldDate, 0, 1, 0, 4);
            set(p, kPhysDate, 0, 8, 0, 8);
            break;
        case 'L':
            set(l, kFldLogical, 0, 1, 0, 2);
            set(p, kPhysLogical, 0, 1, 0, 1);
            break;
        case 'N':
            if (decimals > 0) {
                set(l, kFldFloat, 0, width, decimals, 8);
            } else if (width < 5) {
                set(l, kFldInt16, 0, 1, 0, 2);
            } else {
                set(l, kFldFloat, 0, width, 0, 8);
            }
            set(p, kPhysNumeric, 0, width, decimals, width);
            break;
        case 'M':
            set(l, kFldBlob, kBlobMemo, 1, 0, 0);
            set(p, kPhysMemo, 0, 10, 0, 10);
            break;
        case 'B':
        case 'P':
            set(l, kFldBlob, kBlobBinary, 1, 0, 0);
            set(p, kPhysBinary, 0, 10, 0, 10);
            break;
        case 'G':
            set(l, kFldBlob, kBlobOle, 1, 0, 0);
            set(p, kPhysOle, 0, 10, 0, 10);
            break;
        default:
            set(l, kFldUnknown, 0, 0, 0, 0);
            set(p, kPhysUnknown, 0, 0, 0, 0);
            break;
    }
}

// Fills both descriptor arrays of `wa`, whose area is current.
void BuildDescriptors(TVCLWorkArea& wa, bool showMessages) {
    const EngineApi& e = Engine();
    wa.logical.assign(wa.fieldCount, FieldDescriptor{});
    wa.physical.assign(wa.fieldCount, FieldDescriptor{});
    for (int n = 1; n <= wa.fieldCount; ++n) {
        const std::string name = Text(e.sx_FieldName(n));
        const int offset = e.sx_FieldOffset(name.c_str());
        const std::string type = Text(e.sx_FieldType(name.c_str()));
        char letter = type.empty() ? ' ' : UpperAscii(type.substr(0, 1))[0];
        if (letter == 'C' && e.sx_SysProp(kPropTextForm, n) != 0) {
            letter = 'V';
        }
        FieldDescriptor& l = wa.logical[n - 1];
        FieldDescriptor& p = wa.physical[n - 1];
        for (FieldDescriptor* d : {&l, &p}) {
            d->fieldNumber = static_cast<uint16_t>(n);
            d->name = name;
        }
        l.offset = static_cast<uint16_t>(offset);
        p.offset = static_cast<uint16_t>(offset > 0 ? offset - 1 : 0);
        Describe(letter, e.sx_FieldWidth(name.c_str()), e.sx_FieldDecimals(name.c_str()), l, p);
        if (l.fieldType == kFldUnknown && showMessages) {
            ShowMessage("Invalid Field Type " + rtl::Cp1252ToUtf8(type.substr(0, 1)));
        }
    }
    wa.descriptorsBuilt = true;
}

bool HasIdentifier(const std::vector<std::string>& identifiers, const std::string& name) {
    return std::find(identifiers.begin(), identifiers.end(), UpperAscii(name)) != identifiers.end();
}

// Describes the current order `order` of the current area.
void FillIndexDescriptor(const TVCLWorkArea& wa, int32_t order, IndexDescriptor& d) {
    const EngineApi& e = Engine();
    d = IndexDescriptor{};
    d.indexId = static_cast<uint16_t>(order);
    d.indexName = Text(e.sx_IndexName(order));
    d.tagName = Text(e.sx_TagName(order));
    d.descending = e.sx_SysProp(kPropDescending, order) >= 1;
    const int32_t kind = e.sx_IndexType();
    d.unique = kind == 2 || kind == 4;
    d.subset = kind == 3 || kind == 4;
    if (d.subset) {
        d.condition = Text(e.sx_IndexCondition());
    }
    d.maintained = true;
    d.keyLength = 255;
    const std::string keyFields = Text(e.sx_IndexKeyField());
    const std::string key = Text(e.sx_IndexKey());
    const std::vector<std::string> keyIdentifiers = IdentifiersOf(key);
    d.caseInsensitive = HasIdentifier(keyIdentifiers, "UPPER");
    d.expressionIndex = !EqualsNoCase(keyFields, key);
    if (d.expressionIndex) {
        d.keyExpression = key;
        return;
    }
    // The key field first, then every other field that the key names, in field order.
    int32_t first = 0;
    for (const std::string& id : IdentifiersOf(keyFields)) {
        first = e.sx_FieldNum(id.c_str());
        if (first > 0)
            break;
    }
    if (first > 0) {
        d.keyFields.push_back(static_cast<uint16_t>(first));
    }
    for (int n = 1; n <= wa.fieldCount; ++n) {
        if (n != first && HasIdentifier(keyIdentifiers, Text(e.sx_FieldName(n)))) {
            d.keyFields.push_back(static_cast<uint16_t>(n));
        }
    }
}

}  // namespace

void EnsureDescriptors(TVCLWorkArea& wa) {
    if (!wa.descriptorsBuilt) {
        BuildDescriptors(wa, false);
    }
}

DbiResult DbiOpenTableArea(DbHandle db, const char* tableName, const char* driver,
                           const char* /*indexName*/, const char* indexTagName,
                           uint16_t /*indexId*/, int32_t openMode, int32_t shareMode,
                           int32_t /*translateMode*/, bool /*unidirectional*/,
                           const void* /*optionalParams*/, CursorHandle* table) {
    if (table == nullptr) {
        return kTableNotOpened;
    }
    LayerState& state = State();
    if (const std::string* directory = DirectoryOf(db)) {
        state.currentDirectory = *directory;
    } else {
        ShowMessage("Could not find directory associated with this database");
    }
    const std::string name = Text(tableName);
    const std::string path = JoinToDirectory(state.currentDirectory, name);
    const std::string driverText = Text(driver);
    int32_t engineDriver = DriverFromText(driverText);
    if (driverText.empty()) {
        engineDriver = DriverFromFile(path, engineDriver);
    }

    const EngineApi& e = Engine();
    e.sx_SetStringType(1);
    TWA guard(e.sx_WorkArea(nullptr));
    int32_t mode = SX_EXCLUSIVE;
    if (shareMode == 0)
        mode = SX_SHARED;
    if (openMode == 1)
        mode = SX_READONLY;

    const std::string alias = FreeAlias(path);
    const int32_t area = e.sx_Use(path.c_str(), alias.c_str(), mode, engineDriver);
    if (area <= 0 || area > kMaxArea) {
        return kTableNotOpened;
    }
    auto wa = std::make_unique<TVCLWorkArea>(area);
    wa->LoadStructure();
    wa->alias = alias;
    wa->tableName = name;
    wa->fullPath = path;
    wa->driver = engineDriver;
    wa->translateMode = 2;
    wa->openMode = openMode;
    wa->shareMode = shareMode;
    SetWorkArea(area, std::move(wa));

    const std::string tag = Text(indexTagName);
    if (!tag.empty()) {
        e.sx_Select(area);
        if (engineDriver == SX_NTX) {
            const std::string indexFile = JoinToDirectory(state.currentDirectory, tag);
            std::error_code ec;
            if (std::filesystem::exists(indexFile, ec)) {
                e.sx_IndexOpen(indexFile.c_str());
            }
        } else {
            e.sx_SetOrder(e.sx_TagArea(tag.c_str()));
        }
    }
    *table = area;
    return kOk;
}

DbiResult DbiCloseTable(CursorHandle* table) {
    if (table == nullptr) {
        return kNoSuchTable;
    }
    if (*table > kMaxArea) {
        if (*table == kFieldListCursor) {
            ClearWorkArea(kFieldListCursor);
        }
        *table = 0;
        return kOk;
    }
    TVCLWorkArea* wa = WorkAreaOf(*table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    {
        TWA guard(wa->area);
        // Closing an area the engine no longer has open would close the current one.
        if (guard.Selected()) {
            Engine().sx_Close();
        }
    }
    ClearWorkArea(*table);
    *table = 0;
    return kOk;
}

DbiResult DbiGetFieldDescs(CursorHandle table, std::vector<FieldDescriptor>* descriptors) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        ShowMessage("Error in DbiGetFieldDescs");
        return kNoSuchTable;
    }
    BuildDescriptors(*wa, true);
    if (descriptors != nullptr) {
        *descriptors = wa->translateMode == 0 ? wa->physical : wa->logical;
    }
    return kOk;
}

DbiResult DbiGetTableProps(CursorHandle table, CursorProperties* properties) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    if (properties == nullptr) {
        return kOk;
    }
    EnsureDescriptors(*wa);
    const EngineApi& e = Engine();
    CursorProperties& p = *properties;
    p = CursorProperties{};
    p.baseName = StemOf(FileNameOf(Text(e.sx_BaseName())));
    p.tableType = DriverText(wa->driver);
    p.fieldCount = static_cast<uint16_t>(wa->fieldCount);
    int size = 0;
    for (const FieldDescriptor& d : wa->translateMode != 0 ? wa->logical : wa->physical) {
        size += d.length;
    }
    if (wa->translateMode == 0 && size > 0) {
        size += 1;
    }
    p.recordSize = static_cast<uint16_t>(size);
    p.recordBufferSize = static_cast<uint16_t>(e.sx_RecSize());
    p.indexCount = static_cast<uint16_t>(e.sx_SysProp(kPropIndexCount, 0));
    p.bookmarkSize = 4;
    p.openMode = wa->openMode;
    p.shareMode = wa->shareMode;
    p.indexed = e.sx_IndexOrd() > 0;
    p.translateMode = wa->translateMode;
    p.tableLevel = 3;
    p.filterCount = static_cast<uint16_t>(
        std::count_if(wa->filters.begin(), wa->filters.end(),
                      [](const FilterSlot& s) { return !s.expression.empty(); }));
    return kOk;
}

DbiResult DbiGetIndexDesc(CursorHandle table, uint16_t order, IndexDescriptor* descriptor) {
    TVCLWorkArea* wa = SelectTable(table);
    if (wa == nullptr) {
        return kNoSuchTable;
    }
    const EngineApi& e = Engine();
    const int32_t previous = order > 0 ? e.sx_SetOrder(order) : e.sx_IndexOrd();
    const int32_t current = e.sx_IndexOrd();
    DbiResult result = kOk;
    if (current <= 0) {
        result = kNoCurrentOrder;
    } else if (descriptor != nullptr) {
        FillIndexDescriptor(*wa, current, *descriptor);
    }
    if (order > 0) {
        e.sx_SetOrder(previous);
    }
    return result;
}

DbiResult DbiGetIndexDescs(CursorHandle table, std::vector<IndexDescriptor>* descriptors) {
    if (SelectTable(table) == nullptr) {
        return kNoSuchTable;
    }
    const auto count = Engine().sx_SysProp(kPropIndexCount, 0);
    std::vector<IndexDescriptor> all(count > 0 ? static_cast<size_t>(count) : 0);
    for (size_t i = 0; i < all.size(); ++i) {
        if (DbiResult r = DbiGetIndexDesc(table, static_cast<uint16_t>(i + 1), &all[i])) {
            return r;
        }
    }
    if (descriptors != nullptr) {
        *descriptors = std::move(all);
    }
    return kOk;
}

DbiResult DbiSwitchToIndex(CursorHandle* table, const char* indexName, const char* /*tagName*/,
                           uint16_t /*indexId*/, bool /*currentRecord*/) {
    if (table == nullptr || SelectTable(*table) == nullptr) {
        return kOk;
    }
    const EngineApi& e = Engine();
    const std::string name = Text(indexName);
    if (name.empty()) {
        e.sx_SetOrder(0);
        return kOk;
    }
    const std::string fileName = FileNameOf(name);
    if (e.sx_SysProp(kPropOneTagPerFile, 0) == 1) {
        const std::string wanted = UpperAscii(StemOf(fileName));
        // Tag names end with an empty one; the bound only guards against an engine that
        // never gives it.
        for (int32_t order = 1; order <= 0xFFFF; ++order) {
            const std::string tag = Text(e.sx_TagName(order));
            if (tag.empty())
                break;
            if (UpperAscii(StemOf(FileNameOf(tag))) == wanted) {
                e.sx_SetOrder(order);
                break;
            }
        }
    } else {
        e.sx_SetOrder(e.sx_TagArea(fileName.c_str()));
    }
    return kOk;
}

DbiResult DbiOpenFieldList(DbHandle db, const char* tableName, const char* driver,
                           bool /*physicalTypes*/, CursorHandle* cursor) {
    ClearWorkArea(kFieldListCursor);
    const std::string* directory = DirectoryOf(db);
    const std::string name = Text(tableName);
    const std::string fullName = JoinToDirectory(directory ? *directory : "", name);

    std::vector<FieldDescriptor> rows;
    bool found = false;
    for (CursorHandle h = 1; h <= kMaxArea && !found; ++h) {
        TVCLWorkArea* open = WorkAreaOf(h);
        if (open != nullptr &&
            (EqualsNoCase(open->fullPath, fullName) || EqualsNoCase(open->tableName, fullName))) {
            TWA guard(open->area);
            if (guard.Selected()) {
                EnsureDescriptors(*open);
            }
            rows = open->logical;
            found = true;
        }
    }
    if (!found) {
        CursorHandle temporary = 0;
        if (DbiResult r = DbiOpenTableArea(db, tableName, driver, nullptr, nullptr, 0, 1, 0, 0,
                                           false, nullptr, &temporary)) {
            return r;
        }
        {
            TWA guard(temporary);
            DbiGetFieldDescs(temporary, &rows);
        }
        DbiCloseTable(&temporary);
    }
    auto list = std::make_unique<TVCLWorkArea>(kFieldListCursor);
    list->fieldCount = static_cast<int32_t>(rows.size());
    list->logical = std::move(rows);
    list->descriptorsBuilt = true;
    list->nextRow = 1;
    SetWorkArea(kFieldListCursor, std::move(list));
    if (cursor != nullptr) {
        *cursor = kFieldListCursor;
    }
    return kOk;
}

DbiResult PseudoCursorNextRow(CursorHandle cursor, FieldDescriptor* row) {
    TVCLWorkArea* list = cursor == kFieldListCursor ? WorkAreaOf(cursor) : nullptr;
    if (list == nullptr || list->nextRow < 1 || list->nextRow > list->fieldCount) {
        return kEof;
    }
    if (row != nullptr) {
        *row = list->logical[list->nextRow - 1];
    }
    ++list->nextRow;
    return kOk;
}

}  // namespace xbase
