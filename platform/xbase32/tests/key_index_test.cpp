#include "platform/xbase32/key_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <stdexcept>
#include <vector>

namespace xb {
namespace {

using Entry = std::pair<std::string, uint32_t>;

std::vector<Entry> Walk(const KeyIndex& index) {
    std::vector<Entry> out;
    for (std::size_t p = 0; p < index.Size(); ++p) {
        const KeyEntry e = index.At(p);
        out.emplace_back(std::string(e.key), e.recno);
    }
    return out;
}

std::vector<Entry> Expected(const std::set<Entry>& model, bool descending) {
    std::vector<Entry> out(model.begin(), model.end());
    // std::string compares as unsigned bytes through char_traits<char>::compare (memcmp).
    if (descending) {
        std::reverse(out.begin(), out.end());
    }
    return out;
}

struct Shape {
    std::size_t keyLength;
    bool descending;
};

void PrintTo(const Shape& s, std::ostream* os) {
    *os << s.keyLength << (s.descending ? " descending" : " ascending");
}

class KeyIndexModelTest : public ::testing::TestWithParam<Shape> {};

// Random builds, inserts, erases and key changes against a sorted set of (key, record).
TEST_P(KeyIndexModelTest, MatchesASortedModel) {
    const Shape shape = GetParam();
    std::mt19937 rng(static_cast<unsigned>(shape.keyLength * 31 + shape.descending));
    // Few distinct keys, so that equal keys are common; bytes above 0x7F must sort high.
    const char alphabet[] = {' ', 'a', 'b', '\xE9', '\x01'};
    auto randomKey = [&] {
        std::string key(shape.keyLength, ' ');
        const std::size_t used = std::min<std::size_t>(shape.keyLength, 3);
        for (std::size_t i = 0; i < used; ++i) {
            key[i] = alphabet[rng() % sizeof alphabet];
        }
        if (shape.keyLength > 8) {  // keys equal in their first 8 bytes but not after
            key.back() = alphabet[rng() % sizeof alphabet];
        }
        return key;
    };

    std::map<uint32_t, std::string> keyOf;
    std::set<Entry> model;
    std::vector<uint32_t> recnos;
    for (uint32_t r = 1; r <= 3000; ++r) {
        const std::string k = randomKey();
        keyOf[r] = k;
        model.emplace(k, r);
        recnos.push_back(r);
    }
    std::shuffle(recnos.begin(), recnos.end(), rng);  // the build must not rely on input order
    std::string packed;
    for (const uint32_t r : recnos) {
        packed += keyOf[r];
    }
    KeyIndex index(shape.keyLength, shape.descending);
    index.Build(packed, recnos);
    ASSERT_EQ(Walk(index), Expected(model, shape.descending));

    uint32_t nextRecno = 3001;
    for (int step = 1; step <= 6000; ++step) {
        const unsigned op = rng() % 3;
        if (op == 0 || keyOf.empty()) {
            const std::string k = randomKey();
            ASSERT_TRUE(index.Insert(k, nextRecno));
            keyOf[nextRecno] = k;
            model.emplace(k, nextRecno);
            ++nextRecno;
        } else {
            auto it = keyOf.lower_bound(static_cast<uint32_t>(rng() % nextRecno));
            if (it == keyOf.end()) {
                it = keyOf.begin();
            }
            const uint32_t r = it->first;
            if (op == 1) {
                ASSERT_TRUE(index.Erase(it->second, r));
                model.erase({it->second, r});
                keyOf.erase(it);
            } else {
                const std::string k = randomKey();
                ASSERT_TRUE(index.Update(it->second, k, r));
                model.erase({it->second, r});
                model.emplace(k, r);
                it->second = k;
            }
        }
        if (step % 1500 == 0) {
            SCOPED_TRACE(step);
            const std::vector<Entry> expected = Expected(model, shape.descending);
            ASSERT_EQ(index.Size(), expected.size());
            ASSERT_EQ(Walk(index), expected);
            for (std::size_t p = 0; p < expected.size(); p += 97) {
                EXPECT_EQ(index.PositionOf(expected[p].first, expected[p].second), p);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, KeyIndexModelTest,
                         ::testing::Values(Shape{1, false}, Shape{1, true}, Shape{3, false},
                                           Shape{150, false}, Shape{150, true}),
                         [](const ::testing::TestParamInfo<Shape>& info) {
                             return "Key" + std::to_string(info.param.keyLength) +
                                    (info.param.descending ? "Descending" : "Ascending");
                         });

// A large build gives the order of a plain sort: equal keys by record, repeated entries once,
// bytes above 0x7F high, keys that first differ at any depth (in or past their first 8 bytes,
// several 8-byte steps in), records given in order (as a table is read) or shuffled.
TEST(KeyIndex, LargeBuildMatchesASortedModel) {
    struct Case {
        std::size_t keyLength;
        std::vector<std::size_t> varied;  // the key bytes that differ between keys
        bool inRecordOrder;
    };
    const Case cases[] = {
        {3, {0, 1, 2}, false},     {20, {0, 1, 19}, false},       {20, {0, 1, 19}, true},
        {150, {9, 30, 149}, true}, {150, {2, 17, 40, 99}, false}, {50, {12, 13}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.keyLength << " " << c.varied.size() << " " << c.inRecordOrder);
        std::mt19937 rng(static_cast<unsigned>(c.keyLength + c.varied.size()));
        const char alphabet[] = {' ', 'a', '\xEB', 'Z'};
        std::set<Entry> model;
        std::string packed;
        std::vector<uint32_t> recnos;
        for (uint32_t i = 0; i < 70000; ++i) {
            std::string key(c.keyLength, 'k');
            for (const std::size_t at : c.varied) {
                key[at] = alphabet[rng() % sizeof alphabet];
            }
            // In record order: ascending, some twice; else anywhere, some twice.
            const uint32_t recno =
                c.inRecordOrder ? 1 + i - i % 7 / 6 : 1 + static_cast<uint32_t>(rng() % 60000);
            model.emplace(key, recno);
            packed += key;
            recnos.push_back(recno);
        }
        for (const bool descending : {false, true}) {
            KeyIndex index(c.keyLength, descending);
            index.Build(packed, recnos);
            EXPECT_EQ(Walk(index), Expected(model, descending)) << descending;
        }
    }
}

TEST(KeyIndex, BuildEqualsInsertsAndDropsRepeats) {
    const std::vector<Entry> entries = {{"bb", 2}, {"aa", 9}, {"bb", 1}, {"ab", 4}, {"aa", 9}};
    std::string packed;
    std::vector<uint32_t> recnos;
    KeyIndex inserted(2, false);
    for (const Entry& e : entries) {
        packed += e.first;
        recnos.push_back(e.second);
        inserted.Insert(e.first, e.second);
    }
    KeyIndex built(2, false);
    built.Build(packed, recnos);
    const std::vector<Entry> expected = {{"aa", 9}, {"ab", 4}, {"bb", 1}, {"bb", 2}};
    EXPECT_EQ(Walk(built), expected);
    EXPECT_EQ(Walk(inserted), expected);
}

TEST(KeyIndex, RefusesWrongSizesAndMissingEntries) {
    KeyIndex index(4, false);
    EXPECT_THROW(index.Insert("abc", 1), std::invalid_argument);
    EXPECT_THROW(index.Build("abcdefgh", std::vector<uint32_t>{1}), std::invalid_argument);
    EXPECT_THROW(KeyIndex(0, false), std::invalid_argument);
    EXPECT_TRUE(index.Insert("abcd", 1));
    EXPECT_FALSE(index.Insert("abcd", 1));
    EXPECT_FALSE(index.Erase("abcd", 2));
    EXPECT_FALSE(index.Erase("abce", 1));
    EXPECT_THROW(index.At(1), std::out_of_range);
    EXPECT_FALSE(index.PositionOf("abcd", 2).has_value());
    EXPECT_TRUE(index.EraseRecord(1));
    EXPECT_FALSE(index.EraseRecord(1));
    EXPECT_EQ(index.Size(), 0u);
    EXPECT_EQ(index.Seek("a"), 0u);
    EXPECT_FALSE(index.KeyMatches(0, "a"));
}

// Keys of four bytes: ascending (ab,1) (ab,3) (abc,2) (b,4) (ba,5).
class KeyIndexSeekTest : public ::testing::TestWithParam<bool> {
  protected:
    KeyIndexSeekTest() : index_(4, GetParam()) {
        for (const Entry& e :
             std::vector<Entry>{{"ab  ", 3}, {"abc ", 2}, {"b   ", 4}, {"ba  ", 5}, {"ab  ", 1}}) {
            index_.Insert(e.first, e.second);
        }
    }
    // The record at a position, 0 past the end.
    uint32_t RecnoAt(std::size_t p) const { return p < index_.Size() ? index_.At(p).recno : 0; }
    std::vector<uint32_t> Recnos(KeyRange r) const {
        std::vector<uint32_t> out;
        for (std::size_t p = r.first; p < r.last; ++p) {
            out.push_back(index_.At(p).recno);
        }
        return out;
    }
    KeyIndex index_;
};

TEST_P(KeyIndexSeekTest, HitMissSoftAndPrefix) {
    struct Case {
        const char* key;
        uint32_t ascendingRecno;  // where the seek stands; 0 past the end
        bool ascendingFound;
        uint32_t descendingRecno;
        bool descendingFound;
    };
    const Case cases[] = {
        {"ab  ", 1, true, 3, true},  // equal keys: by record number in the index's direction
        {"ab", 1, true, 2, true},    // prefix
        {"abc ", 2, true, 2, true},
        {"abd ", 4, false, 2, false},  // soft: the next key in the
                                       // index's order
        {"a", 1, true, 2, true},
        {"aa", 1, false, 0, false},
        {"c", 0, false, 5, false},
        {"", 1, true, 5, true},
        {"ba  x", 5, true, 5, true},  // longer than the key: cut to it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const std::size_t p = index_.Seek(c.key);
        EXPECT_EQ(RecnoAt(p), GetParam() ? c.descendingRecno : c.ascendingRecno);
        EXPECT_EQ(index_.KeyMatches(p, c.key), GetParam() ? c.descendingFound : c.ascendingFound);
    }
}

TEST_P(KeyIndexSeekTest, ScopeIncludesBothEndsAsPrefixes) {
    using Opt = std::optional<std::string_view>;
    struct Case {
        Opt top;
        Opt bottom;
        std::vector<uint32_t> ascending;
        std::vector<uint32_t> descending;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, {1, 3, 2, 4, 5}, {5, 4, 2, 3, 1}},
        {Opt("ab"), Opt("ab"), {1, 3, 2}, {2, 3, 1}},
        {Opt("abc"), Opt("b"), {2, 4, 5}, {}},
        {Opt("b"), Opt("abc"), {}, {5, 4, 2}},
        {std::nullopt, Opt("abc"), {1, 3, 2}, {5, 4, 2}},
        {Opt("b"), std::nullopt, {4, 5}, {5, 4, 2, 3, 1}},
        {Opt("ab  "), Opt("ab  "), {1, 3}, {3, 1}},
        {Opt("c"), std::nullopt, {}, {5, 4, 2, 3, 1}},
        {Opt("bb"), Opt("a"), {}, {5, 4, 2, 3, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.top.value_or("nil")) + ".." +
                     std::string(c.bottom.value_or("nil")));
        EXPECT_EQ(Recnos(index_.Scope(c.top, c.bottom)), GetParam() ? c.descending : c.ascending);
    }
}

TEST_P(KeyIndexSeekTest, PositionFollowsChanges) {
    const bool descending = GetParam();
    EXPECT_EQ(index_.PositionOf("abc ", 2), 2u);
    EXPECT_TRUE(index_.Update("abc ", "zz  ", 2));  // moves to the far end
    EXPECT_EQ(index_.PositionOf("zz  ", 2), descending ? 0u : 4u);
    EXPECT_FALSE(index_.PositionOf("abc ", 2).has_value());
    EXPECT_TRUE(index_.EraseRecord(4));
    EXPECT_EQ(index_.Size(), 4u);
    EXPECT_EQ(RecnoAt(index_.Seek("b")), 5u);  // ba in both directions
}

INSTANTIATE_TEST_SUITE_P(Order, KeyIndexSeekTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Descending" : "Ascending";
                         });

}  // namespace
}  // namespace xb
