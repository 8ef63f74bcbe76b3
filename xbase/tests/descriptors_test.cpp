#include <gtest/gtest.h>

#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {
namespace {

class Descriptors : public LayerTest {
  protected:
    Descriptors() {
        DbiInitEngine(nullptr);
        DbiOpenDatabase(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db);
    }

    CursorHandle OpenWith(FakeTable t, const char* driver = "SXFOX") {
        fake.AddTable("./t.dbf", std::move(t));
        CursorHandle h = 0;
        EXPECT_EQ(
            DbiOpenTableArea(db, "t.dbf", driver, nullptr, nullptr, 0, 0, 0, 0, false, nullptr, &h),
            kOk);
        return h;
    }

    DbHandle db = 0;
};

TEST_F(Descriptors, EachFieldLetter) {
    struct Case {
        FakeField field;
        uint16_t type, sub;
        int16_t units1, units2;
        uint16_t length;
        uint16_t physType;
        uint16_t physLength;
        int16_t physUnits1;
    };
    const Case cases[] = {
        {{"NAAM", 'C', 20}, kFldText, 0, 20, 0, 21, kPhysChar, 20, 20},
        {{"LANG", 'C', 300, 0, true}, kFldText, 0, 254, 0, 255, kPhysMemo, 255, 254},
        {{"DATUM", 'D', 8}, kFldDate, 0, 1, 0, 4, kPhysDate, 8, 8},
        {{"AAN", 'L', 1}, kFldLogical, 0, 1, 0, 2, kPhysLogical, 1, 1},
        {{"N4", 'N', 4}, kFldInt16, 0, 1, 0, 2, kPhysNumeric, 4, 4},
        {{"N5", 'N', 5}, kFldFloat, 0, 5, 0, 8, kPhysNumeric, 5, 5},
        {{"N62", 'N', 6, 2}, kFldFloat, 0, 6, 2, 8, kPhysNumeric, 6, 6},
        {{"N32", 'N', 3, 1}, kFldFloat, 0, 3, 1, 8, kPhysNumeric, 3, 3},
        {{"MEMO", 'M', 10}, kFldBlob, kBlobMemo, 1, 0, 0, kPhysMemo, 10, 10},
        {{"BIN", 'B', 10}, kFldBlob, kBlobBinary, 1, 0, 0, kPhysBinary, 10, 10},
        {{"PIC", 'P', 10}, kFldBlob, kBlobBinary, 1, 0, 0, kPhysBinary, 10, 10},
        {{"OLE", 'G', 10}, kFldBlob, kBlobOle, 1, 0, 0, kPhysOle, 10, 10},
        {{"RAAR", 'Q', 3}, kFldUnknown, 0, 0, 0, 0, kPhysUnknown, 0, 0},
    };
    FakeTable t;
    for (const Case& c : cases)
        t.fields.push_back(c.field);
    const CursorHandle h = OpenWith(t);

    std::vector<FieldDescriptor> logical;
    ASSERT_EQ(DbiGetFieldDescs(h, &logical), kOk);
    ASSERT_EQ(logical.size(), std::size(cases));
    const TVCLWorkArea* wa = WorkAreaOf(h);
    int offset = 2;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.field.name);
        const FieldDescriptor& l = logical[i];
        const FieldDescriptor& p = wa->physical[i];
        EXPECT_EQ(l.fieldNumber, i + 1);
        EXPECT_EQ(l.name, c.field.name);
        EXPECT_EQ(l.fieldType, c.type);
        EXPECT_EQ(l.subType, c.sub);
        EXPECT_EQ(l.units1, c.units1);
        EXPECT_EQ(l.units2, c.units2);
        EXPECT_EQ(l.length, c.length);
        EXPECT_EQ(l.offset, offset);
        EXPECT_EQ(p.fieldType, c.physType);
        EXPECT_EQ(p.length, c.physLength);
        EXPECT_EQ(p.units1, c.physUnits1);
        EXPECT_EQ(p.offset, offset - 1);
        EXPECT_EQ(p.name, c.field.name);
        offset += c.field.width;
    }
    EXPECT_EQ(wa->logical, logical);
    EXPECT_EQ(messages, std::vector<std::string>{"Invalid Field Type Q"});
}

TEST_F(Descriptors, MemoTypeComesFromTheDeclarationAlone) {
    const CursorHandle h = OpenWith(FakeTable{{{"MEMO", 'M', 10}}, {}}, "SXNTX");
    fake.calls.clear();
    std::vector<FieldDescriptor> d;
    ASSERT_EQ(DbiGetFieldDescs(h, &d), kOk);
    EXPECT_EQ(d[0].subType, kBlobMemo);
    for (const char* content : {"sx_GetMemo", "sx_GetBlob", "sx_GetBlobLength", "sx_Empty"}) {
        EXPECT_EQ(fake.CountOf(content), 0) << content;
    }
}

TEST_F(Descriptors, TranslateModeZeroHandsOutThePhysicalView) {
    const CursorHandle h = OpenWith(FakeTable{{{"NAAM", 'C', 20}, {"N4", 'N', 4}}, {}});
    ASSERT_EQ(DbiSetProp(h, kPropTranslateMode, 0), kOk);
    std::vector<FieldDescriptor> d;
    ASSERT_EQ(DbiGetFieldDescs(h, &d), kOk);
    EXPECT_EQ(d, WorkAreaOf(h)->physical);
    EXPECT_EQ(d[1].fieldType, kPhysNumeric);
}

TEST_F(Descriptors, UnknownHandleAnswers9990WithoutAnEngineCall) {
    fake.calls.clear();
    std::vector<FieldDescriptor> fields;
    CursorProperties props;
    IndexDescriptor index;
    std::vector<IndexDescriptor> indexes;
    int32_t mode = 0;
    for (CursorHandle h : {0, 5, 255, 256, 260, -3}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(DbiGetTableProps(h, &props), kNoSuchTable);
        EXPECT_EQ(DbiGetIndexDesc(h, 0, &index), kNoSuchTable);
        EXPECT_EQ(DbiGetIndexDescs(h, &indexes), kNoSuchTable);
        EXPECT_EQ(DbiGetProp(h, kPropTranslateMode, &mode, sizeof mode, nullptr), kNoSuchTable);
        EXPECT_EQ(DbiSetProp(h, kPropTranslateMode, 0), kNoSuchTable);
        EXPECT_EQ(DbiSetCursorCallback(0, &h, nullptr, nullptr), kNoSuchTable);
        EXPECT_EQ(DbiClearCursorCallback(&h), kNoSuchTable);
        messages.clear();
        EXPECT_EQ(DbiGetFieldDescs(h, &fields), kNoSuchTable);
        EXPECT_EQ(messages, std::vector<std::string>{"Error in DbiGetFieldDescs"});
    }
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Descriptors, TableProperties) {
    FakeTable t{{{"NAAM", 'C', 20}, {"N4", 'N', 4}, {"MEMO", 'M', 10}},
                {FakeTag{"NAAM", "t.cdx", "NAAM", "NAAM"}, FakeTag{"N4", "t.cdx", "N4", "N4"}}};
    const CursorHandle h = OpenWith(t);
    WorkAreaOf(h)->filters[0].expression = "NAAM = 'x'";
    WorkAreaOf(h)->filters[3].isCallback = true;

    CursorProperties p;
    ASSERT_EQ(DbiGetTableProps(h, &p), kOk);
    EXPECT_EQ(p.baseName, "t");
    EXPECT_EQ(p.tableType, "SXFOX");
    EXPECT_EQ(p.fieldCount, 3);
    EXPECT_EQ(p.recordSize, 21 + 2 + 0);  // logical lengths, even before the descriptors
    EXPECT_EQ(p.recordBufferSize, 35);
    EXPECT_EQ(p.indexCount, 2);
    EXPECT_EQ(p.bookmarkSize, 4);
    EXPECT_FALSE(p.indexed);
    EXPECT_EQ(p.translateMode, 2);
    EXPECT_EQ(p.tableLevel, 3);
    EXPECT_EQ(p.filterCount, 1);
    EXPECT_FALSE(p.temporary);

    ASSERT_EQ(DbiSetProp(h, kPropTranslateMode, 0), kOk);
    fake.areas[h].order = 1;
    ASSERT_EQ(DbiGetTableProps(h, &p), kOk);
    EXPECT_EQ(p.recordSize, 20 + 4 + 10 + 1);
    EXPECT_TRUE(p.indexed);
    EXPECT_EQ(p.translateMode, 0);
}

TEST_F(Descriptors, TableTypeByDriver) {
    for (const char* driver : {"SXNTX", "SXFOX", "SXNSX"}) {
        const CursorHandle h = OpenWith(FakeTable{{{"A", 'C', 1}}, {}}, driver);
        CursorProperties p;
        ASSERT_EQ(DbiGetTableProps(h, &p), kOk);
        EXPECT_EQ(p.tableType, driver);
    }
}

class IndexDescriptors : public Descriptors {
  protected:
    IndexDescriptors() {
        FakeTable t{
            {{"NUMMER", 'C', 20}, {"VOORNAAM", 'C', 20}, {"NAAM", 'C', 150}},
            {FakeTag{"NUMMER", "/d/tel0.idx", "NUMMER", "NUMMER"},
             FakeTag{"VN", "/d/tel1.idx", "UPPER(voornaam)", "VOORNAAM", 2},
             FakeTag{"NV", "/d/tel2.idx", "naam+nummer", "NAAM+NUMMER", 4, "!DELETED()", true},
             FakeTag{"VNN", "/d/tel3.idx", "voornaam", "VOORNAAM", 3, "NAAM > 'A'"}}};
        table = OpenWith(t);
    }
    CursorHandle table = 0;
};

TEST_F(IndexDescriptors, DescribesEachOrder) {
    std::vector<IndexDescriptor> all;
    ASSERT_EQ(DbiGetIndexDescs(table, &all), kOk);
    ASSERT_EQ(all.size(), 4u);

    EXPECT_EQ(all[0].indexName, "/d/tel0.idx");
    EXPECT_EQ(all[0].tagName, "NUMMER");
    EXPECT_FALSE(all[0].expressionIndex);
    EXPECT_EQ(all[0].keyFields, std::vector<uint16_t>{1});
    EXPECT_FALSE(all[0].unique || all[0].subset || all[0].descending || all[0].caseInsensitive);
    EXPECT_TRUE(all[0].maintained);
    EXPECT_EQ(all[0].keyLength, 255);

    EXPECT_TRUE(all[1].expressionIndex);
    EXPECT_EQ(all[1].keyExpression, "UPPER(voornaam)");
    EXPECT_TRUE(all[1].caseInsensitive);
    EXPECT_TRUE(all[1].unique);
    EXPECT_FALSE(all[1].subset);

    // Key field list and key agree but for case: a field index over both fields.
    EXPECT_FALSE(all[2].expressionIndex);
    EXPECT_EQ(all[2].keyFields, (std::vector<uint16_t>{3, 1}));
    EXPECT_TRUE(all[2].unique && all[2].subset && all[2].descending);
    EXPECT_EQ(all[2].condition, "!DELETED()");

    // "voornaam" holds "naam" but names only VOORNAAM.
    EXPECT_EQ(all[3].keyFields, std::vector<uint16_t>{2});
    EXPECT_TRUE(all[3].subset);
    EXPECT_FALSE(all[3].unique);
    EXPECT_EQ(all[3].condition, "NAAM > 'A'");
}

TEST_F(IndexDescriptors, CurrentOrderAndRestore) {
    IndexDescriptor d;
    EXPECT_EQ(DbiGetIndexDesc(table, 0, &d), kNoCurrentOrder);
    fake.areas[table].order = 2;
    ASSERT_EQ(DbiGetIndexDesc(table, 0, &d), kOk);
    EXPECT_EQ(d.tagName, "VN");
    ASSERT_EQ(DbiGetIndexDesc(table, 4, &d), kOk);
    EXPECT_EQ(d.tagName, "VNN");
    EXPECT_EQ(fake.areas[table].order, 2);
    EXPECT_EQ(DbiGetIndexDesc(table, 9, &d), kNoCurrentOrder);
    EXPECT_EQ(fake.areas[table].order, 2);
}

TEST_F(IndexDescriptors, SwitchToIndexByFileName) {
    // With one tag per file the engine names each tag after its file.
    const char* tagNames[] = {"tel0", "TEL1", "/d/tel2.idx", "Tel3"};
    for (int i = 0; i < 4; ++i)
        fake.areas[table].table.tags[i].name = tagNames[i];
    struct Case {
        const char* name;
        int32_t order;
    };
    const Case cases[] = {{"tel1.idx", 2}, {"/elsewhere/TEL3.IDX", 4},
                          {"tel0", 1},     {"", 0},
                          {nullptr, 0},    {"tel9.idx", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(none)");
        fake.areas[table].order = 0;
        CursorHandle h = table;
        EXPECT_EQ(DbiSwitchToIndex(&h, c.name, c.name, 0, true), kOk);
        EXPECT_EQ(fake.areas[table].order, c.order);
    }
}

TEST_F(IndexDescriptors, SwitchToIndexByTagWhenFilesHoldSeveralTags) {
    fake.oneTagPerFile = 0;
    CursorHandle h = table;
    ASSERT_EQ(DbiSwitchToIndex(&h, "/d/NV", nullptr, 0, false), kOk);
    EXPECT_EQ(fake.areas[table].order, 3);
    ASSERT_EQ(DbiSwitchToIndex(&h, "", nullptr, 0, false), kOk);
    EXPECT_EQ(fake.areas[table].order, 0);
}

TEST_F(IndexDescriptors, SwitchWithoutATableDoesNothing) {
    fake.calls.clear();
    CursorHandle none = 17;
    EXPECT_EQ(DbiSwitchToIndex(&none, "tel1.idx", nullptr, 0, true), kOk);
    EXPECT_EQ(DbiSwitchToIndex(nullptr, "tel1.idx", nullptr, 0, true), kOk);
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
}  // namespace xbase::testing
