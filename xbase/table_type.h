#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xbase {

// Table types; the last three name the engine's drivers.
enum TTableType : uint8_t { ttDefault, ttParadox, ttDBase, ttASCII, ttSXNTX, ttSXFOX, ttSXNSX };

// The extension of a file name with its dot ("" when none); a dot in a folder name is not one.
std::string ExtensionOf(std::string_view fileName);

// The driver text a table of `type` opens with; a default type decides by the extension, so
// a ".DBF" table opens with "SXFOX".
std::string DriverNameOf(TTableType type, std::string_view tableName);

// The engine's own types, whose filters and index names go to the layer as they are.
bool IsEngineType(TTableType type);

bool IsXBaseTable(TTableType type, std::string_view tableName);

// An index the layer makes current at open: none, or one named like the table; a name that
// ends in ".NDX" never is.
bool IsProductionIndex(TTableType type, std::string_view tableName, std::string_view indexName);

}  // namespace xbase
