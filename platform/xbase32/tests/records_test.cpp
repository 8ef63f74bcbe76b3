#include <cstring>
#include <filesystem>

#include "platform/xbase32/engine.h"
#include "platform/xbase32/tests/engine_fixture.h"
#include "platform/xbase32/tests/reference_dbf.h"

namespace xbtest {
namespace {

// One table open twice, shared: a writer area and an area that sees only the file.
class SharedRecordTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        path_ = Create("s.DBF", "NAME:C:6,NOTE:M");
        writer_ = Open(path_, SX_SHARED, "W");
        AppendTexts({"first"});
        ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "old memo"));
        sx_Unlock(0);
        reader_ = Open(path_, SX_SHARED, "R");
        sx_Select(writer_);
    }

    std::string SeenByReader(const char* field) {
        const int back = sx_Select(reader_);
        sx_Go(1);
        std::string v = sx_GetString(field);
        sx_Select(back);
        return v;
    }

    char* Buffer() { return reinterpret_cast<char*>(sx_SysProp(65000, 0)); }

    std::string path_;
    int writer_ = 0;
    int reader_ = 0;
};

TEST_F(SharedRecordTest, BufferWritesReachTheFileOnlyThroughPutRecord) {
    sx_Go(1);
    std::memcpy(Buffer() + 1, "BUFFER", 6);
    EXPECT_EQ(SeenByReader("NAME"), "first ");
    ASSERT_TRUE(sx_PutRecord(Buffer())) << "no lock needed from the caller";
    EXPECT_EQ(SeenByReader("NAME"), "BUFFER");
    ASSERT_TRUE(sx_Replace("NAME", SX_R_CHAR, "repl"));
    EXPECT_EQ(SeenByReader("NAME"), "repl  ");
}

TEST_F(SharedRecordTest, PutBlobPatchesOnlyTheBuffer) {
    sx_Go(1);
    const std::string memo = std::string("bin\0ary", 7);
    ASSERT_TRUE(sx_PutBlob("NOTE", memo.data(), static_cast<int32_t>(memo.size())));
    // The memo is read from the pointer in this area's buffer...
    std::string blob(7, '?');
    EXPECT_EQ(sx_GetBlob("NOTE", blob.data()), 7);
    EXPECT_EQ(blob, memo);
    // ...while the record on disk still points at the old one.
    EXPECT_EQ(SeenByReader("NOTE"), "old memo");
    std::string record(static_cast<size_t>(sx_RecSize()), ' ');
    sx_GetRecord(record.data());
    ASSERT_TRUE(sx_PutRecord(record.c_str()));
    EXPECT_EQ(SeenByReader("NOTE"), "bin") << "text ends at the zero byte";

    ASSERT_TRUE(sx_PutBlob("NOTE", nullptr, 0));
    EXPECT_EQ(std::string(Buffer() + sx_FieldOffset("NOTE") - 1, 10), std::string(10, ' '));
    EXPECT_TRUE(sx_Empty("NOTE"));
    EXPECT_EQ(SeenByReader("NOTE"), "bin");
}

TEST_F(SharedRecordTest, MemosAreReadFromThePointerAtAnyPosition) {
    AppendTexts({"second"});
    ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "memo two"));
    sx_Unlock(0);
    sx_Go(1);
    EXPECT_STREQ(sx_GetString("NOTE"), "old memo");
    sx_GoBottom();
    EXPECT_STREQ(sx_GetString("NOTE"), "memo two");
    sx_Skip(1);
    EXPECT_EQ(sx_GetBlobLength("NOTE"), 0) << "the phantom record has no memo";
}

TEST_F(SharedRecordTest, AMemoReadOnceIsReadAgainAfterAMoveOrAWrite) {
    sx_Go(1);
    EXPECT_EQ(sx_GetBlobLength("NOTE"), 8);
    EXPECT_STREQ(sx_GetString("NOTE"), "old memo");
    // Another open gives the record a new memo; this buffer still points at the old one.
    sx_Select(reader_);
    sx_Go(1);
    ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "the reader's memo"));
    sx_Select(writer_);
    EXPECT_STREQ(sx_GetString("NOTE"), "old memo");
    sx_Go(1);
    EXPECT_EQ(sx_GetBlobLength("NOTE"), 17);
    EXPECT_STREQ(sx_GetString("NOTE"), "the reader's memo");
    ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "own"));
    EXPECT_EQ(sx_GetBlobLength("NOTE"), 3);
    EXPECT_STREQ(sx_GetString("NOTE"), "own");
    ASSERT_TRUE(sx_PutBlob("NOTE", "xy", 2));
    EXPECT_EQ(sx_GetBlobLength("NOTE"), 2);
    EXPECT_STREQ(sx_GetString("NOTE"), "xy");
    // A memo longer than one read comes whole.
    const std::string longMemo(3000, 'm');
    ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, longMemo.c_str()));
    EXPECT_EQ(sx_GetBlobLength("NOTE"), 3000);
    EXPECT_EQ(sx_GetString("NOTE"), longMemo);
}

TEST_F(SharedRecordTest, ARecordHeldSinceItsOwnWriteIsWrittenWithoutARead) {
    const auto reads = [] { return sx_SysProp(xb::kPropRecordsRead, 0); };
    AppendTexts({"third"});
    const intptr_t before = reads();
    ASSERT_TRUE(sx_Replace("NAME", SX_R_CHAR, "held"));
    ASSERT_TRUE(sx_Delete());
    EXPECT_EQ(reads(), before) << "nobody else could write it meanwhile";
    // Once let go, another open may write it: the next write reads it first.
    sx_Unlock(0);
    const int recno = sx_RecNo();
    sx_Select(reader_);
    sx_Go(recno);
    ASSERT_TRUE(sx_Replace("NAME", SX_R_CHAR, "theirs"));
    sx_Select(writer_);
    const intptr_t letGo = reads();
    ASSERT_TRUE(sx_Replace("NAME", SX_R_CHAR, "mine"));
    EXPECT_EQ(reads(), letGo + 1);
    sx_Select(reader_);
    sx_Go(recno);
    EXPECT_STREQ(sx_GetString("NAME"), "mine  ");
    EXPECT_TRUE(sx_Deleted());
    sx_Select(writer_);
}

TEST_F(SharedRecordTest, DeleteNeedsNoLockAndKeepsTheBuffersOtherBytes) {
    sx_Go(1);
    std::memcpy(Buffer() + 1, "unsent", 6);
    ASSERT_TRUE(sx_Delete());
    EXPECT_TRUE(sx_Deleted());
    const int back = sx_Select(reader_);
    sx_Go(1);
    EXPECT_TRUE(sx_Deleted());
    EXPECT_STREQ(sx_GetString("NAME"), "first ") << "only the flag was written";
    sx_Select(back);
}

TEST_F(SharedRecordTest, PackAndZapNeedAnExclusiveArea) {
    EXPECT_FALSE(sx_Pack());
    EXPECT_NE(std::string(sx_LastErrorText()).find("exclusive"), std::string::npos);
    EXPECT_FALSE(sx_Zap());
    EXPECT_EQ(sx_RecCount(), 1);
}

TEST_F(EngineTest, ReadOnlyAreaRefusesEveryWrite) {
    const std::string path = Create("ro.DBF", "NAME:C:4,NOTE:M");
    Open(path);
    AppendTexts({"x"});
    sx_Close();
    Open(path, SX_READONLY);
    EXPECT_EQ(sx_AppendEx(), 5);
    EXPECT_FALSE(sx_Replace("NAME", SX_R_CHAR, "y"));
    EXPECT_FALSE(sx_PutRecord(std::string(static_cast<size_t>(sx_RecSize()), ' ').c_str()));
    EXPECT_FALSE(sx_Delete());
    EXPECT_FALSE(sx_PutBlob("NOTE", "z", 1));
    EXPECT_FALSE(sx_Zap());
    EXPECT_STREQ(sx_GetTrimString("NAME"), "x");
    EXPECT_EQ(sx_RecCount(), 1);
    sx_Close();
    EXPECT_EQ(sx_AppendEx(), 6) << "no table in the area";
}

TEST_F(EngineTest, ZapEmptiesTableAndMemoFile) {
    const std::string path = Create("z.DBF", "NAME:C:4,NOTE:M");
    Open(path);
    for (int i = 0; i < 3; ++i) {
        AppendTexts({"x"});
        ASSERT_TRUE(sx_Replace("NOTE", SX_R_MEMO, "some memo"));
    }
    sx_SetMemoBlockSize(32);
    ASSERT_TRUE(sx_Zap()) << sx_LastErrorText();
    EXPECT_EQ(sx_RecCount(), 0);
    EXPECT_TRUE(sx_Eof());
    EXPECT_TRUE(sx_Bof());
    ASSERT_TRUE(sx_Commit());
    sx_Close();
    const refdbf::Table t = refdbf::Read(path);
    EXPECT_EQ(t.headerCount, 0u);
    EXPECT_TRUE(t.endMark);
    EXPECT_EQ(t.memoBlockSize, 32);
    EXPECT_EQ(t.memoFileSize, 512u);
    EXPECT_EQ(std::filesystem::file_size(path), t.headerLength + 1u);
}

}  // namespace
}  // namespace xbtest
