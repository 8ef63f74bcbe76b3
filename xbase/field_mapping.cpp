#include "xbase/field_mapping.h"

#include "platform/db/field_defs.h"
#include "platform/rtl/text_encoding.h"

namespace xbase {

std::optional<MappedField> MapFieldDescriptor(const FieldDescriptor& d) {
    switch (d.fieldType) {
        case kFldText:
            if (d.units1 == 0) {
                return std::nullopt;
            }
            return MappedField{db::ftString, d.units1};
        case kFldDate:
            return MappedField{db::ftDate, 0};
        case kFldLogical:
            return MappedField{db::ftBoolean, 0};
        case kFldInt16:
            if (d.length != 2) {
                return std::nullopt;
            }
            return MappedField{db::ftSmallint, 0};
        case kFldFloat:
            return MappedField{d.subType == 21 ? db::ftCurrency : db::ftFloat, 0};
        case kFldBlob:
            switch (d.subType) {
                case kBlobMemo:
                    return MappedField{db::ftMemo, d.units1};
                case kBlobOle:
                    return MappedField{db::ftDBaseOle, d.units1};
                case kBlobBinary:
                    return MappedField{db::ftTypedBinary, d.units1};
                default:
                    return std::nullopt;
            }
        default:
            return std::nullopt;
    }
}

std::string UniqueFieldName(const db::TFieldDefs& defs, const std::string& name) {
    if (defs.IndexOf(name) < 0) {
        return name;
    }
    for (int n = 1;; ++n) {
        std::string candidate = name + "_" + std::to_string(n);
        if (defs.IndexOf(candidate) < 0) {
            return candidate;
        }
    }
}

void AddFieldDefs(db::TFieldDefs& defs, const std::vector<FieldDescriptor>& descriptors) {
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        const FieldDescriptor& d = descriptors[i];
        const std::optional<MappedField> mapped = MapFieldDescriptor(d);
        if (!mapped) {
            continue;
        }
        const std::string name = UniqueFieldName(defs, rtl::Cp1252ToUtf8(d.name));
        db::TFieldDef& def =
            defs.Add(name, mapped->type, mapped->size, false, static_cast<int>(i) + 1);
        def.SetInternalCalcField(d.calculated != 0);
    }
}

}  // namespace xbase
