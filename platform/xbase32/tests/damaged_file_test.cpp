#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "platform/xbase32/tests/engine_fixture.h"
#include "platform/xbase32/tests/reference_dbf.h"

namespace xbtest {
namespace {

void Patch(const std::string& path, size_t offset, const std::string& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Cut(const std::string& path, off_t size) {
    ASSERT_EQ(truncate(path.c_str(), size), 0);
}

// Layout of the fixture: header 32 + 2 * 32 + 1 = 97 bytes, records of 1 + 8 + 10 bytes,
// the first memo at block 8 of 64 bytes.
constexpr size_t kHeaderLength = 97;
constexpr size_t kFirstPointer = kHeaderLength + 1 + 8;
constexpr size_t kFirstMemo = 512;

struct Damage {
    const char* name;
    std::function<void(const std::string& dbf, const std::string& fpt)> apply;
    bool openFails;
    bool secondMemoIntact = true;
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.name;
}

class DamagedFileTest : public EngineTest, public ::testing::WithParamInterface<Damage> {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        refdbf::Write(Path("d.DBF"), {{"NAME", 'C', 8, 0}, {"NOTE", 'M', 10, 0}},
                      {{false, {"one", std::string(100, 'x')}}, {false, {"two", "short"}}});
    }
};

TEST_P(DamagedFileTest, FailsWithAnErrorResultAndReadsNothingOutside) {
    GetParam().apply(Path("d.DBF"), Path("d.FPT"));
    const int area = sx_Use(Path("d.DBF").c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
    if (GetParam().openFails) {
        EXPECT_EQ(area, 0);
        EXPECT_STRNE(sx_LastErrorText(), "");
        return;
    }
    ASSERT_NE(area, 0) << sx_LastErrorText();
    sx_GoTop();
    EXPECT_EQ(sx_GetMemo("NOTE", 0), nullptr);
    EXPECT_STRNE(sx_LastErrorText(), "");
    EXPECT_EQ(sx_GetBlobLength("NOTE"), -1);
    std::string buffer(200, '\0');
    EXPECT_EQ(sx_GetBlob("NOTE", buffer.data()), -1);
    EXPECT_STREQ(sx_GetString("NOTE"), "");
    EXPECT_STRNE(sx_LastErrorText(), "");
    // Fields beside the memo still read, and the sound record's memo too.
    EXPECT_STREQ(sx_GetTrimString("NAME"), "one");
    if (GetParam().secondMemoIntact) {
        sx_Skip(1);
        EXPECT_STREQ(sx_GetString("NOTE"), "short");
    }
    // A pack cannot carry the damaged memo over, so it leaves the table as it was.
    EXPECT_FALSE(sx_Pack());
    EXPECT_EQ(sx_RecCount(), 2);
    sx_Close();
    EXPECT_EQ(Files(), (std::vector<std::string>{"d.DBF", "d.FPT"}));
}

// A table whose first 32 bytes another program overwrote is refused, and nothing is written.
TEST_F(DamagedFileTest, OverwrittenFirstBytesAreRefusedAndNothingIsWritten) {
    std::vector<refdbf::Record> records;
    for (int i = 0; i < 2000; ++i) {
        records.push_back({false, {"n" + std::to_string(i), i % 3 ? "" : "memo"}});
    }
    refdbf::Write(Path("big.DBF"), {{"NAME", 'C', 200, 0}, {"NOTE", 'M', 10, 0}}, records);
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::string garbage(32, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(random());
        }
        Patch(Path("big.DBF"), 0, garbage);
        const std::string before = ReadAll(Path("big.DBF"));
        for (const int mode : {SX_EXCLUSIVE, SX_SHARED, SX_READONLY}) {
            EXPECT_EQ(sx_Use(Path("big.DBF").c_str(), nullptr, mode, SX_FOX), 0);
            EXPECT_NE(std::string(sx_LastErrorText()).find("damaged table"), std::string::npos)
                << sx_LastErrorText();
        }
        EXPECT_EQ(ReadAll(Path("big.DBF")), before);
    }
}

// A dBase III table (version 0x83) with its .dbt memo file, as other tools write it.
TEST_F(DamagedFileTest, ADbaseThreeMemoFileIsNamedAsWhatIsNotRead) {
    Patch(Path("d.DBF"), 0, "\x83");
    ASSERT_EQ(::rename(Path("d.FPT").c_str(), Path("d.DBT").c_str()), 0);
    EXPECT_EQ(sx_Use(Path("d.DBF").c_str(), nullptr, SX_EXCLUSIVE, SX_FOX), 0);
    const std::string error = sx_LastErrorText();
    EXPECT_NE(error.find("dBase III memo file (.dbt)"), std::string::npos) << error;
    EXPECT_EQ(error.find("is missing"), std::string::npos) << error;
    // Without any memo file the old message stands.
    ::unlink(Path("d.DBT").c_str());
    EXPECT_EQ(sx_Use(Path("d.DBF").c_str(), nullptr, SX_EXCLUSIVE, SX_FOX), 0);
    EXPECT_NE(std::string(sx_LastErrorText()).find("is missing"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedFileTest,
    ::testing::Values(
        Damage{"TruncatedHeader", [](auto& dbf, auto&) { Cut(dbf, 20); }, true},
        Damage{"TruncatedFieldList", [](auto& dbf, auto&) { Cut(dbf, 32 + 40); }, true},
        Damage{"FieldCountBeyondHeader",
               [](auto& dbf, auto&) { Patch(dbf, 8, std::string("\x30\x00", 2)); }, true},
        Damage{"HeaderLengthBeyondFile",
               [](auto& dbf, auto&) { Patch(dbf, 8, std::string("\xF0\xFF", 2)); }, true},
        Damage{"RecordShorterThanFields",
               [](auto& dbf, auto&) { Patch(dbf, 10, std::string("\x05\x00", 2)); }, true},
        Damage{"RecordLongerThanFields",
               [](auto& dbf, auto&) { Patch(dbf, 10, std::string("\x14\x00", 2)); }, true},
        Damage{"UnknownVersionByte", [](auto& dbf, auto&) { Patch(dbf, 0, "\x5A"); }, true},
        Damage{"VersionByteZero", [](auto& dbf, auto&) { Patch(dbf, 0, std::string(1, '\0')); },
               true},
        // The file is long enough for the header it claims, but its fields end far before.
        Damage{"HeaderLongerThanItsFields",
               [](auto& dbf, auto&) {
                   Cut(dbf, 4096);
                   Patch(dbf, 8, std::string("\x70\x01", 2));
               },
               true},
        Damage{"FieldOfWidthZero",
               [](auto& dbf, auto&) { Patch(dbf, 32 + 16, std::string(1, '\0')); }, true},
        Damage{"MemoFileMissing", [](auto&, auto& fpt) { ::unlink(fpt.c_str()); }, true},
        Damage{"MemoBlockSizeZero", [](auto&, auto& fpt) { Patch(fpt, 6, std::string(2, '\0')); },
               true},
        Damage{"MemoPointerPastEnd",
               [](auto& dbf, auto&) { Patch(dbf, kFirstPointer, "    999999"); }, false},
        Damage{"MemoPointerIntoHeader",
               [](auto& dbf, auto&) { Patch(dbf, kFirstPointer, "         1"); }, false},
        Damage{"MemoPointerNotANumber",
               [](auto& dbf, auto&) { Patch(dbf, kFirstPointer, "     12x45"); }, false},
        Damage{"MemoLengthPastEnd",
               [](auto&, auto& fpt) { Patch(fpt, kFirstMemo + 4, "\x7F\xFF\xFF\xF0"); }, false},
        Damage{"MemoFileCutInsideMemo", [](auto&, auto& fpt) { Cut(fpt, kFirstMemo + 50); }, false,
               false}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace xbtest
