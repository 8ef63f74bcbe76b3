#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/db/data_set_types.h"
#include "xbase/descriptors.h"

namespace db {
class TFieldDefs;
}

namespace xbase {

// What a data set makes of one field the layer describes.
struct MappedField {
    db::TFieldType type = db::ftUnknown;
    int size = 0;
};

// The field kind and size for a layer descriptor; none for a field the data sets skip (a
// text of width 0, a 16-bit integer of another length, an unknown type).
std::optional<MappedField> MapFieldDescriptor(const FieldDescriptor& descriptor);

// `name`, or the first of NAME_1, NAME_2, ... that `defs` does not hold yet.
std::string UniqueFieldName(const db::TFieldDefs& defs, const std::string& name);

// Field definitions from the layer's descriptors: the descriptor's position is the field
// number, names arrive as the table's Windows-1252 bytes, no field is required.
void AddFieldDefs(db::TFieldDefs& defs, const std::vector<FieldDescriptor>& descriptors);

}  // namespace xbase
