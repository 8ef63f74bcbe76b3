#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/db/field_defs.h"
#include "xbase/field_mapping.h"
#include "xbase/record_layout.h"

namespace xbase::testing {
namespace {

FieldDescriptor Describe(uint16_t type, uint16_t subType, int16_t units1, uint16_t length) {
    FieldDescriptor d;
    d.fieldType = type;
    d.subType = subType;
    d.units1 = units1;
    d.length = length;
    return d;
}

TEST(FieldMapping, EachLayerTypeBecomesItsFieldKind) {
    struct Case {
        const char* what;
        FieldDescriptor descriptor;
        std::optional<MappedField> expected;
    };
    const std::vector<Case> cases = {
        {"text", Describe(kFldText, 0, 20, 21), MappedField{db::ftString, 20}},
        {"text of width 0", Describe(kFldText, 0, 0, 1), std::nullopt},
        {"date", Describe(kFldDate, 0, 1, 4), MappedField{db::ftDate, 0}},
        {"logical", Describe(kFldLogical, 0, 1, 2), MappedField{db::ftBoolean, 0}},
        {"16-bit integer", Describe(kFldInt16, 0, 1, 2), MappedField{db::ftSmallint, 0}},
        {"16-bit integer of length 4", Describe(kFldInt16, 0, 1, 4), std::nullopt},
        {"floating", Describe(kFldFloat, 0, 8, 8), MappedField{db::ftFloat, 0}},
        {"money", Describe(kFldFloat, 21, 8, 8), MappedField{db::ftCurrency, 0}},
        {"memo", Describe(kFldBlob, kBlobMemo, 1, 0), MappedField{db::ftMemo, 1}},
        {"OLE", Describe(kFldBlob, kBlobOle, 1, 0), MappedField{db::ftDBaseOle, 1}},
        {"binary", Describe(kFldBlob, kBlobBinary, 1, 0), MappedField{db::ftTypedBinary, 1}},
        {"blob of another subtype", Describe(kFldBlob, 0, 1, 0), std::nullopt},
        {"unknown", Describe(kFldUnknown, 0, 0, 0), std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<MappedField> got = MapFieldDescriptor(c.descriptor);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.what;
        if (got) {
            EXPECT_EQ(got->type, c.expected->type) << c.what;
            EXPECT_EQ(got->size, c.expected->size) << c.what;
        }
    }
}

TEST(FieldMapping, RepeatedNamesGetTheFirstFreeCounter) {
    std::vector<FieldDescriptor> descriptors;
    for (const char* name : {"NAAM", "NAAM_1", "NAAM", "naam", "PLAATS"}) {
        FieldDescriptor d = Describe(kFldText, 0, 10, 11);
        d.name = name;
        descriptors.push_back(d);
    }
    db::TFieldDefs defs(nullptr);
    AddFieldDefs(defs, descriptors);
    ASSERT_EQ(defs.Count(), 5);
    const std::vector<std::string> names = {"NAAM", "NAAM_1", "NAAM_2", "naam_3", "PLAATS"};
    for (int i = 0; i < defs.Count(); ++i) {
        EXPECT_EQ(defs[i].Name(), names[static_cast<std::size_t>(i)]);
        EXPECT_EQ(defs[i].FieldNo(), i + 1);
        EXPECT_FALSE(defs[i].Required());
    }
}

TEST(FieldMapping, SkippedFieldsKeepTheFieldNumbersOfTheOthers) {
    FieldDescriptor skipped = Describe(kFldUnknown, 0, 0, 0);
    skipped.name = "RAAR";
    FieldDescriptor kept = Describe(kFldLogical, 0, 1, 2);
    kept.name = "ACTIEF";
    kept.calculated = 1;
    db::TFieldDefs defs(nullptr);
    AddFieldDefs(defs, {skipped, kept});
    ASSERT_EQ(defs.Count(), 1);
    EXPECT_EQ(defs[0].Name(), "ACTIEF");
    EXPECT_EQ(defs[0].FieldNo(), 2);
    EXPECT_TRUE(defs[0].InternalCalcField());
}

TEST(FieldMapping, NamesArriveAsWindows1252) {
    FieldDescriptor d = Describe(kFldText, 0, 5, 6);
    d.name =
        "STRA\xDF"
        "E";
    db::TFieldDefs defs(nullptr);
    AddFieldDefs(defs, {d});
    EXPECT_EQ(defs[0].Name(), "STRAßE");
}

TEST(RecordLayout, PartsFollowEachOther) {
    RecordLayout layout;
    layout.recordSize = 31;
    layout.calcFieldsSize = 9;
    layout.blobFieldCount = 2;
    layout.bookmarkSize = 4;
    EXPECT_EQ(layout.BlobCacheOffset(), 40);
    EXPECT_EQ(layout.RecordInfoOffset(), 40 + 2 * RecordLayout::kBlobSlotSize);
    EXPECT_EQ(layout.BookmarkOffset(), layout.RecordInfoOffset() + 8);
    EXPECT_EQ(layout.BufferSize(), layout.BookmarkOffset() + 4);
}

}  // namespace
}  // namespace xbase::testing
