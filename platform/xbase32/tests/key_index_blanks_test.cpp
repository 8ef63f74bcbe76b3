// The index holds keys without their trailing blanks; every answer and every saved file must be
// the one the full-width keys give.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/xbase32/key_index.h"
#include "platform/xbase32/key_index_file.h"

namespace xb {
namespace {

using namespace std::string_literals;
using Entry = std::pair<std::string, uint32_t>;

// All-blank keys, bytes below and above the blank at the end and inside, "ë", bytes above
// 0x7F, full-width keys and equal keys.
std::vector<Entry> TextCases() {
    return {{"      "s, 1},    {"\xEB     "s, 2},     {"\xFFzz   "s, 3}, {"a     "s, 4},
            {"a    \x01"s, 5}, {"a \x1F   "s, 6},     {"a b   "s, 7},    {"\x01     "s, 8},
            {"ab    "s, 9},    {"      "s, 10},       {"a     "s, 11},   {"aaaaaa"s, 12},
            {"a    ~"s, 13},   {"\0\0\0\0\0\0"s, 14}, {"a\0    "s, 15},  {" a    "s, 16}};
}

// Eight-byte number keys, some ending in the blank's byte.
std::vector<Entry> NumberCases() {
    return {{"\x80\0\0\0\0\0\0\x20"s, 1},
            {"\x80\x20\x20\x20\x20\x20\x20\x20"s, 2},
            {"\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s, 3},
            {"\x80\0\0\0\0\0\0\0"s, 4},
            {"\x20\x20\x20\x20\x20\x20\x20\x20"s, 5},
            {"\x80\0\0\0\0\0\0\x20"s, 6}};
}

// Seeks and scope ends, as prefixes of the full-width keys.
const std::vector<std::string> kProbes = {
    ""s,         "a"s,      "a "s,    "a  "s,    "a    \x01"s,
    "a\x01"s,    "\xEB"s,   "\xEB "s, "b"s,      "\xFF"s,
    "      "s,   "a     "s, " "s,     "\x01"s,   "\0"s,
    "a\0"s,      "a    ~"s, "\x80"s,  "\x80\0"s, "\x80\0\0\0\0\0\0\x20"s,
    "\x20\x20"s, "\x7F"s};

struct Shape {
    char type;
    bool descending;
    std::string Name() const {
        return std::string(type == 'C' ? "text" : "number") +
               (descending ? "_descending" : "_ascending");
    }
};

void PrintTo(const Shape& s, std::ostream* os) {
    *os << s.Name();
}

class KeyIndexBlanksTest : public ::testing::TestWithParam<Shape> {
  protected:
    void SetUp() override {
        cases_ = GetParam().type == 'C' ? TextCases() : NumberCases();
        // The full-width model in index order.
        model_ = cases_;
        std::sort(model_.begin(), model_.end());
        if (GetParam().descending) {
            std::reverse(model_.begin(), model_.end());
        }
    }

    std::size_t Width() const { return cases_.front().first.size(); }

    KeyIndex Built() const {
        std::vector<Entry> shuffled = cases_;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
        std::string keys;
        std::vector<uint32_t> recnos;
        for (const auto& [key, recno] : shuffled) {
            keys += key;
            recnos.push_back(recno);
        }
        KeyIndex index(Width(), GetParam().descending);
        index.Build(keys, recnos);
        return index;
    }

    KeyIndex Inserted() const {
        KeyIndex index(Width(), GetParam().descending);
        for (auto it = cases_.rbegin(); it != cases_.rend(); ++it) {
            EXPECT_TRUE(index.Insert(it->first, it->second));
        }
        return index;
    }

    std::string Golden() const {
        std::ifstream in(std::string(BELVERIN_GOLDEN_DIR "/blanks_") + GetParam().Name() + ".idx",
                         std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Whether the model's entry at p comes before the probe in index order, over its length.
    bool Before(std::size_t p, const std::string& probe) const {
        const std::string prefix = model_[p].first.substr(0, probe.size());
        return GetParam().descending ? prefix > probe : prefix < probe;
    }

    void ExpectModelAnswers(const KeyIndex& index) const {
        ASSERT_EQ(index.Size(), model_.size());
        for (std::size_t p = 0; p < model_.size(); ++p) {
            EXPECT_EQ(index.At(p).key, model_[p].first) << p;
            EXPECT_EQ(index.RecnoAt(p), model_[p].second) << p;
            EXPECT_EQ(index.PositionOf(model_[p].first, model_[p].second), p);
            EXPECT_EQ(index.PositionOfRecord(model_[p].second), p);
        }
        for (const std::string& probe : kProbes) {
            if (probe.size() > Width()) {
                continue;
            }
            SCOPED_TRACE(::testing::PrintToString(probe));
            std::size_t seek = 0;
            while (seek < model_.size() && Before(seek, probe)) {
                ++seek;
            }
            EXPECT_EQ(index.Seek(probe), seek);
            EXPECT_EQ(index.KeyMatches(seek, probe),
                      seek < model_.size() && model_[seek].first.substr(0, probe.size()) == probe);
            std::size_t last = seek;
            while (last < model_.size() && model_[last].first.substr(0, probe.size()) == probe) {
                ++last;
            }
            const KeyRange scope = index.Scope(probe, probe);
            EXPECT_EQ(scope.first, seek);
            EXPECT_EQ(scope.last, last);
            if (probe.size() == Width()) {
                // Between the entries of equal keys by record number.
                const uint32_t recno = 7;
                std::size_t lower = 0;
                while (lower < model_.size() &&
                       (GetParam().descending ? model_[lower] > Entry(probe, recno)
                                              : model_[lower] < Entry(probe, recno))) {
                    ++lower;
                }
                EXPECT_EQ(index.LowerBound(probe, recno), lower);
            }
        }
    }

    std::vector<Entry> cases_;
    std::vector<Entry> model_;
};

TEST_P(KeyIndexBlanksTest, BuiltAndInsertedAnswerAsFullWidthKeys) {
    {
        SCOPED_TRACE("built");
        ExpectModelAnswers(Built());
    }
    {
        SCOPED_TRACE("inserted");
        ExpectModelAnswers(Inserted());
    }
}

TEST_P(KeyIndexBlanksTest, ErasingByKeyAndRecordLeavesTheRest) {
    KeyIndex index = Built();
    for (std::size_t i = 0; i < cases_.size(); i += 2) {
        EXPECT_TRUE(cases_[i].second % 4 == 1 ? index.EraseRecord(cases_[i].second)
                                              : index.Erase(cases_[i].first, cases_[i].second));
        model_.erase(std::find(model_.begin(), model_.end(), cases_[i]));
    }
    ExpectModelAnswers(index);
}

// The files were written from full-width keys; writing and reading them now keeps every byte.
TEST_P(KeyIndexBlanksTest, SavedFileEqualsTheFullWidthOne) {
    const std::string golden = Golden();
    ASSERT_FALSE(golden.empty());
    const std::string dir = (std::filesystem::temp_directory_path() /
                             ("blanks-" + std::to_string(::getpid()) + GetParam().Name()))
                                .string();
    std::filesystem::create_directories(dir);
    IndexFileInfo info;
    info.keyExpression = GetParam().type == 'C' ? "naam" : "bedrag";
    info.keyType = GetParam().type;
    info.descending = GetParam().descending;
    info.recordCount = 20;
    const std::string path = dir + "/saved.idx";
    for (const KeyIndex& index : {Built(), Inserted()}) {
        SaveKeyIndexFile(path, info, index);
        std::ifstream in(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), golden);
    }
    const std::string copy = dir + "/golden.idx";
    std::ofstream(copy, std::ios::binary) << golden;
    LoadedKeyIndex loaded = LoadKeyIndexFile(copy);
    ExpectModelAnswers(loaded.index);
    SaveKeyIndexFile(path, info, loaded.index);
    std::ifstream again(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), golden);
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Shapes, KeyIndexBlanksTest,
                         ::testing::Values(Shape{'C', false}, Shape{'C', true}, Shape{'N', false},
                                           Shape{'N', true}),
                         [](const ::testing::TestParamInfo<Shape>& info) {
                             return info.param.Name();
                         });

// Loading appends entries as a file holds them: blanks implied, an entry that goes down refused.
TEST(KeyIndexBlanks, AppendSortedImpliesBlanksAndRefusesDisorder) {
    KeyIndex index(4, false);
    EXPECT_TRUE(index.AppendSorted("", 1));
    EXPECT_TRUE(index.AppendSorted("  ", 2));
    EXPECT_FALSE(index.AppendSorted("    ", 2));   // the same entry again
    EXPECT_FALSE(index.AppendSorted(" \x01", 9));  // below the blank keys
    EXPECT_TRUE(index.AppendSorted("a", 1));
    EXPECT_FALSE(index.AppendSorted("a\x01", 3));  // "a\x01  " comes before "a   "
    EXPECT_TRUE(index.AppendSorted("a ~", 1));
    EXPECT_EQ(index.Size(), 4u);
    EXPECT_THROW(index.AppendSorted("abcde", 1), std::invalid_argument);
    EXPECT_EQ(index.At(1).key, "    ");
    EXPECT_EQ(index.At(3).key, "a ~ ");
}

}  // namespace
}  // namespace xb
