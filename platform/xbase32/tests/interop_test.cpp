#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/xbase32/tests/engine_fixture.h"
#include "platform/xbase32/tests/reference_dbf.h"

namespace xbtest {
namespace {

// Bytes without zeros, with the Windows-1252 "ë" spread through them.
std::string Content(size_t n, char seed) {
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s.push_back(i % 7 == 3 ? '\xEB' : static_cast<char>('a' + (seed + i) % 26));
    }
    return s;
}

const std::vector<size_t> kMemoSizes = {0, 1, 64, 65, 100000};

const std::vector<refdbf::Field> kFields = {{"NAME", 'C', 20, 0},
                                            {"AMOUNT", 'N', 8, 2},
                                            {"BORN", 'D', 8, 0},
                                            {"OK", 'L', 1, 0},
                                            {"NOTE", 'M', 10, 0}};

std::string Name(size_t i) {
    return "Zo\xEB " + std::to_string(i);
}

using InteropTest = EngineTest;

TEST_F(InteropTest, TablesTheEngineWritesReadBackByAnIndependentReader) {
    const std::string path = Create("people.DBF", "NAME:C:20,AMOUNT:N:8:2,BORN:D,OK:L,NOTE:M");
    Open(path);
    for (size_t i = 0; i < kMemoSizes.size(); ++i) {
        AppendTexts({Name(i)});
        const double amount = 12.5 * static_cast<double>(i);
        ASSERT_TRUE(sx_Replace("AMOUNT", SX_R_DOUBLE, &amount));
        ASSERT_TRUE(sx_Replace("BORN", SX_R_DATESTR, "12/31/99"));
        const int32_t ok = i % 2;
        ASSERT_TRUE(sx_Replace("OK", SX_R_LOGICAL, &ok));
        const std::string memo = Content(kMemoSizes[i], static_cast<char>(i));
        if (i == 3) {
            // The blob road: new blocks patched into the buffer, then the record written.
            ASSERT_TRUE(sx_PutBlob("NOTE", memo.data(), static_cast<int32_t>(memo.size())));
            std::vector<char> rec(static_cast<size_t>(sx_RecSize()));
            sx_GetRecord(rec.data());
            ASSERT_TRUE(sx_PutRecord(rec.data()));
        } else {
            ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, memo.c_str()));
        }
    }
    sx_Go(2);
    ASSERT_TRUE(sx_Delete());
    sx_Close();

    const refdbf::Table t = refdbf::Read(path);
    EXPECT_EQ(t.version, 0xF5);
    EXPECT_EQ(t.codePage, 0x03);
    EXPECT_EQ(t.headerCount, kMemoSizes.size());
    EXPECT_EQ(t.headerLength, 32 + 32 * kFields.size() + 1);
    EXPECT_EQ(t.recordLength, 1 + 20 + 8 + 8 + 1 + 10);
    EXPECT_TRUE(t.endMark);
    ASSERT_EQ(t.fields.size(), kFields.size());
    uint32_t displacement = 1;
    for (size_t i = 0; i < kFields.size(); ++i) {
        EXPECT_EQ(t.fields[i].name, kFields[i].name);
        EXPECT_EQ(t.fields[i].type, kFields[i].type);
        EXPECT_EQ(t.fields[i].width, kFields[i].width);
        EXPECT_EQ(t.fields[i].decimals, kFields[i].decimals);
        EXPECT_EQ(t.displacements[i], displacement);
        displacement += static_cast<uint32_t>(kFields[i].width);
    }
    EXPECT_EQ(t.memoBlockSize, 64);
    EXPECT_EQ(static_cast<uint64_t>(t.memoNextFree) * 64, t.memoFileSize);
    ASSERT_EQ(t.records.size(), kMemoSizes.size());
    for (size_t i = 0; i < kMemoSizes.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& r = t.records[i];
        EXPECT_EQ(r.deleted, i == 1);
        std::string name = Name(i);
        name.resize(20, ' ');
        EXPECT_EQ(r.values[0], name);
        char amount[16];
        std::snprintf(amount, sizeof amount, "%8.2f", 12.5 * static_cast<double>(i));
        EXPECT_EQ(r.values[1], amount);
        EXPECT_EQ(r.values[2], "19991231");
        EXPECT_EQ(r.values[3], i % 2 ? "T" : "F");
        EXPECT_EQ(r.values[4], Content(kMemoSizes[i], static_cast<char>(i)));
    }
}

TEST_F(InteropTest, TablesAnIndependentWriterMakesAreReadByTheEngine) {
    std::vector<refdbf::Record> records;
    for (size_t i = 0; i < kMemoSizes.size(); ++i) {
        records.push_back({i == 2,
                           {Name(i), "   12.50", "20240229", i % 2 ? "T" : "F",
                            Content(kMemoSizes[i], static_cast<char>(i))}});
    }
    const std::string path = Path("OTHER.DBF");
    refdbf::Write(path, kFields, records);

    Open(path, SX_READONLY);
    EXPECT_EQ(sx_RecCount(), static_cast<int32_t>(kMemoSizes.size()));
    EXPECT_EQ(sx_FieldCount(), 5);
    for (size_t i = 0; i < kMemoSizes.size(); ++i) {
        SCOPED_TRACE(i);
        sx_Go(static_cast<int32_t>(i + 1));
        EXPECT_EQ(sx_Deleted() != 0, i == 2);
        EXPECT_STREQ(sx_GetTrimString("NAME"), Name(i).c_str());
        EXPECT_STREQ(sx_GetTrimString("AMOUNT"), "12.50");
        EXPECT_STREQ(sx_GetDateString("BORN"), "02/29/24");
        EXPECT_EQ(sx_GetLogical("OK") != 0, i % 2 == 1);
        const std::string expected = Content(kMemoSizes[i], static_cast<char>(i));
        ASSERT_EQ(sx_GetBlobLength("NOTE"), static_cast<int32_t>(expected.size()));
        std::string blob(expected.size(), '\0');
        EXPECT_EQ(sx_GetBlob("NOTE", blob.data()), static_cast<int32_t>(expected.size()));
        EXPECT_EQ(blob, expected);
        char* memo = sx_GetMemo("NOTE", 0);
        EXPECT_EQ(memo == nullptr ? std::string() : std::string(memo), expected);
        sx_MemDealloc(memo);
        EXPECT_EQ(sx_Empty("NOTE") != 0, expected.empty());
    }
}

// What other tools write that the engine takes as it is.
struct Tolerance {
    const char* name;
    refdbf::WriteOptions options;
    uint32_t countInHeader;  // 0: the true count
    const char* fileName;
    const char* openName;
    bool withMemo;
    uint8_t version = 0;  // 0: as written
};

void PrintTo(const Tolerance& t, std::ostream* os) {
    *os << t.name;
}

class ToleranceTest : public EngineTest, public ::testing::WithParamInterface<Tolerance> {};

TEST_P(ToleranceTest, OpensAndReadsEveryRecord) {
    const Tolerance& c = GetParam();
    std::vector<refdbf::Field> fields = {{"NAME", 'C', 8, 0}};
    if (c.withMemo) {
        fields.push_back({"NOTE", 'M', 10, 0});
    }
    std::vector<refdbf::Record> records;
    for (int i = 0; i < 3; ++i) {
        records.push_back({false, {"n" + std::to_string(i)}});
        if (c.withMemo) {
            records.back().values.push_back("memo " + std::to_string(i));
        }
    }
    refdbf::WriteOptions options = c.options;
    if (!options.memoPath.empty()) {
        options.memoPath = Path(options.memoPath);
    }
    refdbf::Write(Path(c.fileName), fields, records, options);
    if (c.countInHeader != 0) {
        std::fstream f(Path(c.fileName), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4);
        const char count[4] = {static_cast<char>(c.countInHeader), 0, 0, 0};
        f.write(count, 4);
    }
    if (c.version != 0) {
        std::fstream f(Path(c.fileName), std::ios::in | std::ios::out | std::ios::binary);
        f.put(static_cast<char>(c.version));
    }

    Open(Path(c.openName), SX_SHARED);
    EXPECT_EQ(sx_RecCount(), 3);
    sx_GoTop();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(sx_Eof());
        EXPECT_STREQ(sx_GetTrimString("NAME"), ("n" + std::to_string(i)).c_str());
        if (c.withMemo) {
            EXPECT_STREQ(sx_GetString("NOTE"), ("memo " + std::to_string(i)).c_str());
        }
        sx_Skip(1);
    }
    EXPECT_TRUE(sx_Eof());
    // Appending after what the file really holds keeps the table whole.
    ASSERT_EQ(sx_AppendEx(), 0) << sx_LastErrorText();
    ASSERT_TRUE(sx_Replace("NAME", SX_R_CHAR, "added"));
    EXPECT_EQ(sx_RecNo(), 4);
    sx_Close();
    EXPECT_EQ(refdbf::Read(Path(c.fileName)).records.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(
    OtherWriters, ToleranceTest,
    ::testing::Values(
        Tolerance{"LongerHeader", {263, true, ""}, 0, "t.DBF", "t.DBF", true},
        Tolerance{"NoEndMark", {0, false, ""}, 0, "t.DBF", "t.DBF", true},
        Tolerance{"CountBeyondFile", {0, true, ""}, 9, "t.DBF", "t.DBF", true},
        Tolerance{"NamesInOtherCase", {0, true, "Mixed.Fpt"}, 0, "mixed.dbf", "MIXED.DBF", true},
        Tolerance{"PlainTableWithoutMemoFile", {0, true, ""}, 0, "p.DBF", "p.DBF", false},
        // The version bytes of the dBASE and FoxPro families, and the header room they keep.
        Tolerance{"PadByteAfterTheFieldList", {1, true, ""}, 0, "t.DBF", "t.DBF", true},
        Tolerance{"VisualFoxPro", {263, true, ""}, 0, "t.DBF", "t.DBF", false, 0x30},
        Tolerance{"VisualFoxProWithMemo", {263, true, ""}, 0, "t.DBF", "t.DBF", true, 0x30},
        Tolerance{"VisualFoxProAutoincrement", {263, true, ""}, 0, "t.DBF", "t.DBF", true, 0x31},
        Tolerance{"DbaseThreeWithMemo", {0, true, ""}, 0, "t.DBF", "t.DBF", true, 0x83},
        Tolerance{"DbaseFourWithMemo", {0, true, ""}, 0, "t.DBF", "t.DBF", true, 0x8B},
        Tolerance{"FoxBase", {0, true, ""}, 0, "t.DBF", "t.DBF", false, 0x02},
        Tolerance{"FoxBaseWithMemo", {0, true, ""}, 0, "t.DBF", "t.DBF", true, 0xFB}),
    [](const ::testing::TestParamInfo<Tolerance>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace xbtest
