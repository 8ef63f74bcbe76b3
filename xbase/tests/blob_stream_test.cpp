// Blob streams on memo fields: cache, seeks, sizes, and the state errors.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/db/field_kinds.h"
#include "xbase/blob_stream.h"
#include "xbase/db_errors.h"
#include "xbase/tests/table_fixture.h"

namespace xbase::testing {
namespace {

class BlobStreams : public TableTest {
  protected:
    void SetUp() override {
        TableTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        MakeBook({{{"NAAM", "Tien"}, {"MEMO", "0123456789"}}, {{"NAAM", "Leeg"}}});
        table = &Table("BOEK.DBF");
        table->Open();
    }

    db::TBlobField& Memo() { return static_cast<db::TBlobField&>(table->FieldByName("MEMO")); }

    TTable* table = nullptr;
};

TEST_F(BlobStreams, WholeReadFillsTheCacheAndAWriteEmptiesIt) {
    EXPECT_EQ(Memo().Bytes(), "0123456789");
    const int before = Recorded().calls;
    EXPECT_EQ(Memo().Bytes(), "0123456789");
    EXPECT_EQ(Memo().BlobSize(), 10);
    EXPECT_EQ(Recorded().calls, before) << "the cached memo was read from the engine";

    table->Edit();
    Memo().SetBytes("nieuw");
    EXPECT_EQ(Memo().Bytes(), "nieuw");
    table->Post();
    EXPECT_EQ(Memo().Bytes(), "nieuw");
    table->Close();
    table->Open();
    EXPECT_EQ(Memo().Bytes(), "nieuw");
}

TEST_F(BlobStreams, SeeksFromEachOrigin) {
    TBlobStream stream(Memo(), db::bmRead);
    EXPECT_EQ(stream.Seek(-3, db::soFromEnd), 7);
    char two[2];
    EXPECT_EQ(stream.Read(two, 2), 2);
    EXPECT_EQ(std::string(two, 2), "78");
    EXPECT_EQ(stream.Seek(-5, db::soFromCurrent), 4);
    EXPECT_EQ(stream.Seek(1, db::soFromBeginning), 1);
    EXPECT_EQ(stream.ReadAll(), "123456789");
    EXPECT_EQ(stream.Size(), 10);
    EXPECT_EQ(stream.Read(two, 2), 0);
}

TEST_F(BlobStreams, LargeAndBinaryContentRoundTrips) {
    std::string large(100 * 1024, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<char>('a' + i % 26);
    }
    const std::string binary("voor\0na\0", 8);
    for (const std::string& content : {large, binary}) {
        table->First();
        table->Edit();
        Memo().SetBytes(content);
        table->Post();
        table->Close();
        table->Open();
        EXPECT_EQ(Memo().Bytes().size(), content.size());
        EXPECT_EQ(Memo().Bytes(), content);
    }
}

TEST_F(BlobStreams, WritingNeedsAnEditableField) {
    EXPECT_EQ(ErrorOf([&] { TBlobStream s(Memo(), db::bmWrite); }),
              "Dataset not in edit or insert mode");
    table->Edit();
    Memo().SetReadOnly(true);
    EXPECT_EQ(ErrorOf([&] { TBlobStream s(Memo(), db::bmReadWrite); }),
              "Field 'MEMO' cannot be modified");
    Memo().SetReadOnly(false);
    table->Cancel();
    EXPECT_EQ(Memo().Bytes(), "0123456789");
}

TEST_F(BlobStreams, EmptyMemoAndAStateWithoutRecord) {
    table->Last();
    EXPECT_EQ(Memo().Bytes(), "");
    EXPECT_EQ(Memo().BlobSize(), 0);
    table->Close();
    table->SetFilter("NAAM = 'niemand'");
    table->SetFiltered(true);
    table->Open();
    ASSERT_TRUE(table->IsEmpty());
    TBlobStream stream(Memo(), db::bmRead);
    char c;
    EXPECT_EQ(stream.Read(&c, 1), 0);
    EXPECT_EQ(stream.Write("x", 1), 0);
}

TEST_F(BlobStreams, DamagedMemoLengthFailsWithTheLayersError) {
    table->Close();
    {
        // The first memo starts on the block after the 512-byte header; its length follows
        // the 4-byte type, big-endian.
        std::fstream fpt(folder + "BOEK.FPT", std::ios::in | std::ios::out | std::ios::binary);
        fpt.seekp(512 + 4);
        const char huge[4] = {0x7f, 0x7f, 0x7f, 0x70};
        fpt.write(huge, 4);
    }
    table->Open();
    try {
        (void)Memo().Bytes();
        ADD_FAILURE() << "a damaged memo read without an error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.ErrorCode(), 10753);
    }
    table->Last();
    EXPECT_EQ(table->FieldByName("NAAM").AsString(), "Leeg");
    EXPECT_EQ(Memo().Bytes(), "");
}

}  // namespace
}  // namespace xbase::testing
