#include "platform/xbase32/key_index_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/xbase32/expression_key.h"

namespace xb {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::pair<std::string, uint32_t>> Walk(const KeyIndex& index) {
    std::vector<std::pair<std::string, uint32_t>> out;
    for (std::size_t p = 0; p < index.Size(); ++p) {
        out.emplace_back(std::string(index.At(p).key), index.At(p).recno);
    }
    return out;
}

class KeyIndexFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("keyidx-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A descending text index with a condition; keys with inner and trailing blanks, an
    // all-blank key and bytes at both ends of the range.
    std::string SaveSample() {
        KeyIndex index(6, true);
        index.Insert("Jan   ", 3);
        index.Insert("Jan   ", 1);
        index.Insert("a b c ", 2);
        index.Insert("      ", 4);
        index.Insert(std::string("\x00\xFF\xE9zz ", 6), 5);
        info_.keyExpression = "upper(naam)";
        info_.condition = ".not. deleted()";
        info_.keyType = 'C';
        info_.descending = true;
        info_.recordCount = 6;
        expected_ = Walk(index);
        const std::string path = (dir_ / "tel2.idx").string();
        SaveKeyIndexFile(path, info_, index);
        return path;
    }

    void ExpectRefused(const std::string& bytes, const std::string& why) {
        SCOPED_TRACE(why);
        const fs::path p = dir_ / "bad.idx";
        WriteBytes(p, bytes);
        EXPECT_THROW(LoadKeyIndexFile(p.string()), IndexFileError);
    }

    // Patches bytes and writes a fresh checksum, so that only the inner checks can refuse it.
    static std::string Patched(std::string bytes, std::size_t at, const std::string& with) {
        bytes.replace(at, with.size(), with);
        const uint32_t crc = Crc32(bytes.data(), bytes.size() - 4);
        for (int i = 0; i < 4; ++i) {
            bytes[bytes.size() - 4 + static_cast<std::size_t>(i)] =
                static_cast<char>((crc >> (8 * i)) & 0xFF);
        }
        return bytes;
    }

    fs::path dir_;
    IndexFileInfo info_;
    std::vector<std::pair<std::string, uint32_t>> expected_;
};

TEST(Crc32, StandardCheckValue) {
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    const std::string long_(1000, 'x');
    // Pieces continue the running value.
    EXPECT_EQ(Crc32(long_.data() + 3, 997, Crc32(long_.data(), 3)), Crc32(long_.data(), 1000));
}

TEST(Crc32, LargeBuffersDoneInPiecesGiveTheRunningValue) {
    // Large enough to be split over threads; its parts small enough to be done in one go.
    std::string big(21u << 20, '\0');
    uint32_t x = 12345;
    for (char& c : big) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    const std::size_t third = big.size() / 3 + 1;
    uint32_t chained = Crc32(big.data(), 5);
    for (std::size_t at = 5; at < big.size(); at += third) {
        chained = Crc32(big.data() + at, std::min(third, big.size() - at), chained);
    }
    EXPECT_EQ(Crc32(big.data(), big.size()), chained);
    EXPECT_EQ(Crc32(big.data() + 5, big.size() - 5, Crc32(big.data(), 5)), chained);
}

TEST_F(KeyIndexFileTest, RoundTripKeepsEntriesAndDefinition) {
    const std::string path = SaveSample();
    const LoadedKeyIndex loaded = LoadKeyIndexFile(path);
    EXPECT_EQ(loaded.info.keyExpression, "upper(naam)");
    EXPECT_EQ(loaded.info.condition, ".not. deleted()");
    EXPECT_EQ(loaded.info.keyType, 'C');
    EXPECT_TRUE(loaded.info.descending);
    EXPECT_EQ(loaded.info.recordCount, 6u);
    EXPECT_EQ(loaded.index.KeyLength(), 6u);
    EXPECT_TRUE(loaded.index.Descending());
    EXPECT_EQ(Walk(loaded.index), expected_);
}

TEST_F(KeyIndexFileTest, RoundTripOfNumericAndEmptyIndexes) {
    KeyIndex numbers(8, false);
    uint32_t recno = 1;
    for (const double v : {-2.5, 0.0, 32.0, 1e9, -1e-9}) {
        numbers.Insert(EncodeNumericKey(v), recno++);
    }
    const std::string path = (dir_ / "n.idx").string();
    SaveKeyIndexFile(path, IndexFileInfo{"bedrag", "", 'N', false, 5, 0x80000007u}, numbers);
    const LoadedKeyIndex loaded = LoadKeyIndexFile(path);
    EXPECT_EQ(loaded.info.keyType, 'N');
    EXPECT_EQ(loaded.info.tableStamp, 0x80000007u);
    EXPECT_EQ(loaded.info.condition, "");
    EXPECT_EQ(Walk(loaded.index), Walk(numbers));

    SaveKeyIndexFile(path, IndexFileInfo{"naam", "", 'C', false, 0, std::nullopt},
                     KeyIndex(150, false));
    EXPECT_EQ(LoadKeyIndexFile(path).info.tableStamp, std::nullopt);
    EXPECT_EQ(LoadKeyIndexFile(path).index.Size(), 0u);
    EXPECT_EQ(LoadKeyIndexFile(path).index.KeyLength(), 150u);
}

TEST_F(KeyIndexFileTest, SaveReplacesTheFileAndLeavesNothingElse) {
    const std::string path = SaveSample();
    KeyIndex other(6, false);
    other.Insert("xyz   ", 1);
    SaveKeyIndexFile(path, IndexFileInfo{"naam", "", 'C', false, 1, 3u}, other);
    EXPECT_EQ(LoadKeyIndexFile(path).index.Size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    EXPECT_THROW(SaveKeyIndexFile((dir_ / "no" / "such.idx").string(), info_, other),
                 IndexFileError);
}

TEST_F(KeyIndexFileTest, DamagedOrForeignFilesAreRefused) {
    const std::string good = ReadBytes(SaveSample());
    ASSERT_NO_THROW(LoadKeyIndexFile((dir_ / "tel2.idx").string()));

    // Any flipped byte, wherever it lies.
    for (std::size_t at = 0; at < good.size(); at += 3) {
        std::string bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x10);
        ExpectRefused(bad, "flipped byte " + std::to_string(at));
    }
    for (const std::size_t length :
         {std::size_t{0}, std::size_t{7}, std::size_t{20}, good.size() / 2, good.size() - 1}) {
        ExpectRefused(good.substr(0, length), "cut to " + std::to_string(length));
    }
    ExpectRefused(good + "x", "a byte added");
    ExpectRefused(std::string("\xF5\x7C\x01\x01\x02\x00\x00\x00", 8) + std::string(200, ' '),
                  "a table header");
    ExpectRefused("index of something else\r\n", "text");

    const fs::path same = dir_ / "same.idx";
    WriteBytes(same, Patched(good, 8, std::string("\x01\x00\x00\x00", 4)));
    ASSERT_NO_THROW(LoadKeyIndexFile(same.string()));  // the patching itself keeps a file whole
    // Whole checksum, wrong contents: layout offsets of the format description.
    ExpectRefused(Patched(good, 8, std::string("\x02\x00\x00\x00", 4)), "version 2");
    ExpectRefused(Patched(good, 12, std::string("\x03\x00\x00\x00", 4)), "unknown flag");
    ExpectRefused(Patched(good, 16, "X"), "key type");
    ExpectRefused(Patched(good, 20, std::string("\x00\x00\x00\x00", 4)), "key length 0");
    ExpectRefused(Patched(good, 20, std::string("\x02\x00\x00\x00", 4)), "key shorter than stored");
    ExpectRefused(Patched(good, 24, std::string("\x03\x00\x00\x00", 4)),
                  "records beyond the count");
    ExpectRefused(Patched(good, 28, std::string("\xFF\xFF\x00\x00", 4)), "expression too long");
    const std::size_t countAt = 28 + 4 + info_.keyExpression.size() + 4 + info_.condition.size();
    ExpectRefused(Patched(good, countAt, std::string("\x06\x00\x00\x00\x00\x00\x00\x00", 8)),
                  "entry count too large");
    ExpectRefused(Patched(good, countAt, std::string("\x04\x00\x00\x00\x00\x00\x00\x00", 8)),
                  "entry count too small");
    // The first entry in the file is the key starting with byte 0; raised to 'z' it no
    // longer comes before the next.
    const std::size_t firstKeyByte = countAt + 8 + 2;
    ASSERT_EQ(good[firstKeyByte], '\0');
    ExpectRefused(Patched(good, firstKeyByte, "z"), "entries out of order");

    EXPECT_THROW(LoadKeyIndexFile((dir_ / "missing.idx").string()), IndexFileError);
}

}  // namespace
}  // namespace xb
