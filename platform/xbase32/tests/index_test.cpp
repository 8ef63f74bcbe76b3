#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include <sys/stat.h>

#include "platform/xbase32/page_array.h"
#include "platform/xbase32/tests/child_process.h"
#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

std::vector<int> WalkBack() {
    std::vector<int> seen;
    sx_GoBottom();
    if (sx_Eof()) {
        return seen;
    }
    while (true) {
        seen.push_back(sx_RecNo());
        sx_Skip(-1);
        if (sx_Bof()) {
            break;
        }
    }
    std::reverse(seen.begin(), seen.end());
    return seen;
}

class IndexTest : public EngineTest {
  protected:
    // A small phone book: NAAM, a number and a date.
    void OpenBook(int mode = SX_EXCLUSIVE) {
        path_ = Create("book.DBF", "NAAM:C:10,BEDRAG:N:7:2,DATUM:D,NOTE:M");
        Open(path_, mode);
    }

    void Add(const std::string& naam, double bedrag = 0, const std::string& datum = "") {
        ASSERT_EQ(sx_AppendEx(), 0) << sx_LastErrorText();
        ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, naam.c_str()));
        ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &bedrag));
        if (!datum.empty()) {
            ASSERT_TRUE(sx_Replace("DATUM", SX_R_CHAR, datum.c_str())) << sx_LastErrorText();
        }
    }

    void AddNames(const std::vector<std::string>& names) {
        for (const auto& n : names) {
            Add(n);
        }
    }

    int MakeIndex(const std::string& file, const char* key, bool descending = false,
                  const char* condition = "") {
        const int order = sx_Index(Path(file).c_str(), key, 0, descending ? 1 : 0, condition);
        EXPECT_NE(order, 0) << sx_LastErrorText();
        return order;
    }

    std::string path_;
};

// The records a sort of the table gives: by key, equal keys by record number; descending
// reverses that whole order. Deleted records drop out when hidden.
std::vector<int> SortedBy(const std::function<std::string(int)>& key, bool descending,
                          bool hideDeleted) {
    std::vector<std::pair<std::string, int>> rows;
    for (int r = 1; r <= sx_RecCount(); ++r) {
        sx_Go(r);
        if (!(hideDeleted && sx_Deleted())) {
            rows.emplace_back(key(r), r);
        }
    }
    std::sort(rows.begin(), rows.end());
    if (descending) {
        std::reverse(rows.begin(), rows.end());
    }
    std::vector<int> out;
    for (const auto& row : rows) {
        out.push_back(row.second);
    }
    return out;
}

// Numbers as text whose byte order is their numeric order (positive values of this table).
std::string NumberKey(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%012.2f", v);
    return text;
}

struct OrderCase {
    const char* key;
    bool descending;
    std::function<std::string(int)> sortKey;
};

std::vector<OrderCase> BookOrders() {
    return {
        {"naam", false, [](int) { return std::string(sx_GetString("NAAM")); }},
        {"naam", true, [](int) { return std::string(sx_GetString("NAAM")); }},
        {"bedrag", false, [](int) { return NumberKey(std::atof(sx_GetString("BEDRAG"))); }},
        {"datum", true, [](int) { return std::string(sx_GetString("DATUM")); }},
        {"UPPER(naam) + STR(bedrag, 7, 2)", false,
         [](int) {
             std::string n = sx_GetString("NAAM");
             for (char& c : n) {
                 c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
             }
             return n + sx_GetString("BEDRAG");
         }},
    };
}

// Random appends, edits and deletes with every order open; each order must walk like a sort
// of the table, both ways, with deleted records shown and hidden, and again after reopening its
// file and after a pack.
TEST_F(IndexTest, OrdersWalkLikeASortAfterRandomWrites) {
    OpenBook();
    const std::vector<OrderCase> orders = BookOrders();
    for (std::size_t i = 0; i < orders.size(); ++i) {
        MakeIndex("o" + std::to_string(i) + ".idx", orders[i].key, orders[i].descending);
    }
    std::mt19937 rng(7);
    const char* names[] = {"jan", "Jan", "Piet", "anna", "Zoe", "Jansen", "", "Bram"};
    for (int step = 0; step < 400; ++step) {
        const int count = sx_RecCount();
        const int what = count < 5 ? 0 : static_cast<int>(rng() % 5);
        const std::string naam = names[rng() % 8];
        const double bedrag = static_cast<double>(rng() % 40) / 4;
        const std::string datum = rng() % 4 == 0 ? ""
                                                 : "0" + std::to_string(1 + rng() % 9) + "/1" +
                                                       std::to_string(rng() % 3) + "/9" +
                                                       std::to_string(rng() % 10);
        if (what == 0) {
            Add(naam, bedrag, datum);
            continue;
        }
        sx_Go(static_cast<int>(1 + rng() % static_cast<unsigned>(count)));
        if (what == 1) {
            ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, naam.c_str()));
        } else if (what == 2) {
            ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &bedrag));
        } else if (what == 3) {
            ASSERT_TRUE(sx_Delete());
        } else {
            // The whole record through the engine's buffer.
            char* buffer = reinterpret_cast<char*>(sx_SysProp(65000, 0));
            std::string text = naam;
            text.resize(10, ' ');
            std::copy(text.begin(), text.end(), buffer + sx_FieldOffset("NAAM") - 1);
            ASSERT_TRUE(sx_PutRecord(buffer));
        }
    }
    auto check = [&](const std::string& when) {
        for (std::size_t i = 0; i < orders.size(); ++i) {
            SCOPED_TRACE(when + ": order " + orders[i].key +
                         (orders[i].descending ? " descending" : ""));
            for (bool hide : {false, true}) {
                sx_SetDeleted(hide ? 1 : 0);
                const auto expected = SortedBy(orders[i].sortKey, orders[i].descending, hide);
                sx_SetOrder(static_cast<int32_t>(i + 1));
                EXPECT_EQ(Walk(), expected) << "hide " << hide;
                EXPECT_EQ(WalkBack(), expected) << "hide " << hide;
                EXPECT_EQ(sx_Count(), static_cast<int32_t>(expected.size()));
            }
            sx_SetDeleted(0);
        }
    };
    check("after writes");
    sx_CloseIndexes();
    EXPECT_EQ(sx_IndexOrd(), 0);
    for (std::size_t i = 0; i < orders.size(); ++i) {
        ASSERT_EQ(sx_IndexOpen(Path("o" + std::to_string(i) + ".idx").c_str()),
                  static_cast<int32_t>(i + 1))
            << sx_LastErrorText();
    }
    check("reopened");
    ASSERT_TRUE(sx_Pack()) << sx_LastErrorText();
    check("packed");
    ASSERT_TRUE(sx_Zap());
    sx_SetOrder(1);
    EXPECT_TRUE(Walk().empty());
    Add("na zap");
    EXPECT_EQ(Walk(), std::vector<int>{1});
}

struct SeekCase {
    const char* name;
    int order;  // 1 naam, 2 naam descending, 3 bedrag
    bool exact;
    bool soft;
    bool hideDeleted;
    const char* filter;
    const char* key;
    bool found;
    int recno;  // 0: at the end
};

void PrintTo(const SeekCase& c, std::ostream* os) {
    *os << c.name;
}

class SeekTest : public IndexTest, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(SeekTest, LandsWhereTheRulesSay) {
    const SeekCase& c = GetParam();
    OpenBook();
    // 1 Jan, 2 Jansen, 3 Piet, 4 Klaas, 5 jan, 6 Jan (deleted), 7 Karel
    const std::pair<const char*, double> rows[] = {{"Jan", 10},   {"Jansen", 42}, {"Piet", 7},
                                                   {"Klaas", 42}, {"jan", 99.5},  {"Jan", 3},
                                                   {"Karel", 50}};
    for (const auto& [naam, bedrag] : rows) {
        Add(naam, bedrag);
    }
    sx_Go(6);
    ASSERT_TRUE(sx_Delete());
    MakeIndex("naam.idx", "naam");
    MakeIndex("naamdesc.idx", "naam", true);
    MakeIndex("bedrag.idx", "bedrag");
    sx_SetOrder(c.order);
    sx_SetExact(c.exact ? 1 : 0);
    sx_SetSoftSeek(c.soft ? 1 : 0);
    sx_SetDeleted(c.hideDeleted ? 1 : 0);
    ASSERT_TRUE(sx_Query(c.filter)) << sx_LastErrorText();
    sx_Go(3);
    EXPECT_EQ(sx_Seek(c.key) != 0, c.found);
    if (c.recno == 0) {
        EXPECT_TRUE(sx_Eof());
        EXPECT_EQ(sx_RecNo(), sx_RecCount() + 1);
    } else {
        EXPECT_FALSE(sx_Eof());
        EXPECT_EQ(sx_RecNo(), c.recno);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Seek, SeekTest,
    ::testing::Values(
        SeekCase{"exact hit takes the first of equal keys", 1, true, false, false, "", "Jan", true,
                 1},
        SeekCase{"exact miss stands at the end", 1, true, false, false, "", "Jans", false, 0},
        SeekCase{"soft miss stands on the next greater key", 1, true, true, false, "", "Jans",
                 false, 2},
        SeekCase{"soft miss past the last key stands at the end", 1, true, true, false, "", "zz",
                 false, 0},
        SeekCase{"exact off takes a prefix", 1, false, false, false, "", "Jans", true, 2},
        SeekCase{"exact off, a short prefix", 1, false, false, false, "", "K", true, 7},
        SeekCase{"exact on, trailing blanks do not matter", 1, true, false, false, "", "Piet  ",
                 true, 3},
        SeekCase{"case counts", 1, true, false, false, "", "jan", true, 5},
        SeekCase{"exact on, an empty key is a blank one", 1, true, false, false, "", "", false, 0},
        SeekCase{"exact off, an empty key matches the first", 1, false, false, false, "", "", true,
                 1},
        SeekCase{"hidden deleted records are passed over", 2, true, false, true, "", "Jan", true,
                 1},
        SeekCase{"the filter is passed over too", 1, true, false, false, "bedrag < 5", "Jan", true,
                 6},
        SeekCase{"filtered out entirely: a miss", 1, true, true, false, "bedrag > 60", "Jan", false,
                 5},
        SeekCase{"descending: the first of equal keys is the last record", 2, true, false, false,
                 "", "Jan", true, 6},
        SeekCase{"descending soft seek stands on the next key in its order", 2, true, true, false,
                 "", "Jans", false, 6},
        SeekCase{"numeric order takes the text as a number", 3, true, false, false, "", "42", true,
                 2},
        SeekCase{"numeric with blanks and decimals", 3, true, false, false, "", " 99.50", true, 5},
        SeekCase{"numeric soft miss", 3, true, true, false, "", "43", false, 7},
        SeekCase{"numeric miss", 3, false, false, false, "", "8", false, 0}));

TEST_F(IndexTest, ScopeIncludesBothEndsAsPrefixes) {
    OpenBook();
    AddNames({"Anna", "Bram", "Bert", "Cor", "Carla", "Dirk", "Cees", "Eva"});
    MakeIndex("naam.idx", "naam");
    struct Case {
        const char* top;
        const char* bottom;
        std::vector<int> walk;
    };
    const Case cases[] = {
        {"B", "C", {3, 2, 5, 7, 4}},
        {"Bram", "Ce", {2, 5, 7}},
        {nullptr, "B", {1, 3, 2}},
        {"Cor", nullptr, {4, 6, 8}},
        {"X", nullptr, {}},
        {"C", "B", {}},
        {nullptr, nullptr, {1, 3, 2, 5, 7, 4, 6, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.top ? c.top : "nil") + ".." + (c.bottom ? c.bottom : "nil"));
        sx_SetScope(c.top, c.bottom);
        EXPECT_STREQ(sx_LastErrorText(), "");
        EXPECT_EQ(Walk(), c.walk);
        EXPECT_EQ(WalkBack(), c.walk);
        EXPECT_EQ(sx_Count(), static_cast<int32_t>(c.walk.size()));
        EXPECT_EQ(sx_SysProp(1006, 0), c.top || c.bottom ? 1 : 0);
    }
    // A seek stays inside the scope; a record outside it can still be gone to.
    sx_SetScope("C", "C");
    EXPECT_FALSE(sx_Seek("Anna"));
    EXPECT_TRUE(sx_Eof());
    EXPECT_TRUE(sx_Seek("Cor"));
    EXPECT_EQ(sx_RecNo(), 4);
    sx_Go(1);
    EXPECT_EQ(sx_RecNo(), 1);
    sx_Skip(1);
    EXPECT_EQ(sx_RecNo(), 5);  // the first in scope after Anna's place
    // Without an order there is no scope to set.
    sx_SetOrder(0);
    sx_SetScope("A", "B");
    EXPECT_STRNE(sx_LastErrorText(), "");
    EXPECT_EQ(Walk().size(), 8u);
}

TEST_F(IndexTest, OrdersAreNumberedAndDescribed) {
    OpenBook(SX_SHARED);  // the program builds its indexes on shared tables
    AddNames({"b", "a", "c"});
    sx_Unlock(0);
    const char* keys[] = {"naam",   "bedrag",      "datum", "UPPER(naam)", "naam", "naam", "naam",
                          "bedrag", "DTOS(datum)", "naam",  "naam",        "naam", "naam"};
    for (int n = 0; n < 13; ++n) {
        EXPECT_EQ(MakeIndex("tel" + std::to_string(n) + ".idx", keys[n]), n + 1);
    }
    EXPECT_EQ(sx_SysProp(3000, 0), 13);
    EXPECT_EQ(sx_SysProp(65006, 0), 1);
    // Building a file that is open again keeps its number.
    EXPECT_EQ(MakeIndex("tel3.idx", "naam", true, "naam <> 'c'"), 4);
    EXPECT_EQ(sx_SysProp(3000, 0), 13);
    EXPECT_EQ(sx_IndexOrd(), 4);
    EXPECT_EQ(sx_SysProp(3002, 0), 1);
    EXPECT_EQ(sx_IndexType(), 3);
    EXPECT_STREQ(sx_IndexCondition(), "naam <> 'c'");
    EXPECT_EQ(Walk(), (std::vector<int>{1, 2}));

    struct Case {
        int order;
        const char* file;
        const char* tag;
        const char* key;
        const char* keyField;
        int type;
        int descending;
    };
    const Case cases[] = {
        {1, "tel0.idx", "TEL0", "naam", "NAAM", 1, 0},
        {2, "tel1.idx", "TEL1", "bedrag", "BEDRAG", 1, 0},
        {4, "tel3.idx", "TEL3", "naam", "NAAM", 3, 1},
        {9, "tel8.idx", "TEL8", "DTOS(datum)", "", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        EXPECT_STREQ(sx_TagName(c.order), c.tag);
        EXPECT_EQ(sx_TagArea(c.tag), c.order);
        EXPECT_EQ(sx_IndexName(c.order), Path(c.file));
        sx_SetOrder(c.order);
        EXPECT_STREQ(sx_TagName(0), c.tag);
        EXPECT_STREQ(sx_IndexKey(), c.key);
        EXPECT_STREQ(sx_IndexKeyField(), c.keyField);
        EXPECT_EQ(sx_IndexType(), c.type);
        EXPECT_EQ(sx_SysProp(3002, 0), c.descending);
    }
    EXPECT_EQ(sx_TagArea("tel12"), 13);
    EXPECT_EQ(sx_TagArea("TEL13"), 0);
    EXPECT_STREQ(sx_TagName(14), "");

    // Switching orders keeps the current record; an unknown order changes nothing.
    sx_SetOrder(1);
    sx_GoTop();
    sx_Skip(1);
    EXPECT_EQ(sx_RecNo(), 1);  // a, b, c
    EXPECT_EQ(sx_OrderRecNo(), 2);
    EXPECT_STREQ(sx_KeyData(), "b         ");
    EXPECT_EQ(sx_SetOrder(2), 1);
    EXPECT_EQ(sx_RecNo(), 1);
    EXPECT_STREQ(sx_KeyData(), "0.00");
    EXPECT_EQ(sx_SetOrder(0), 2);
    EXPECT_EQ(sx_OrderRecNo(), 1);
    EXPECT_STREQ(sx_KeyData(), "");
    sx_SetOrder(14);
    EXPECT_STRNE(sx_LastErrorText(), "");
    EXPECT_EQ(sx_IndexOrd(), 0);

    sx_CloseIndexes();
    EXPECT_EQ(sx_SysProp(3000, 0), 0);
    EXPECT_STREQ(sx_TagName(1), "");
    EXPECT_EQ(Walk(), (std::vector<int>{1, 2, 3}));
}

TEST_F(IndexTest, ConditionKeepsOnlyTheRecordsThatPass) {
    OpenBook();
    Add("a", 5);
    Add("b", 50);
    Add("c", 20);
    MakeIndex("big.idx", "naam", false, "bedrag >= 20");
    EXPECT_EQ(Walk(), (std::vector<int>{2, 3}));
    sx_Go(1);
    const double big = 30;
    ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &big));
    sx_Go(2);
    const double small = 1;
    ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &small));
    EXPECT_EQ(Walk(), (std::vector<int>{1, 3}));
    EXPECT_EQ(sx_Count(), 2);
    sx_Go(2);  // outside the index: a skip goes on from where its key would stand
    sx_Skip(1);
    EXPECT_EQ(sx_RecNo(), 3);
    EXPECT_EQ(sx_OrderRecNo(), 2);
}

TEST_F(IndexTest, RefusesInvalidIndexesAndDamagedFiles) {
    OpenBook();
    AddNames({"b", "a"});
    const std::string file = Path("naam.idx");
    { std::ofstream(file) << "not an index"; }
    // A file that is there is replaced.
    ASSERT_EQ(MakeIndex("naam.idx", "naam"), 1);
    sx_CloseIndexes();
    ASSERT_EQ(sx_IndexOpen(file.c_str()), 1) << sx_LastErrorText();
    EXPECT_EQ(Walk(), (std::vector<int>{2, 1}));
    sx_CloseIndexes();

    struct Bad {
        const char* key;
        int option;
        const char* condition;
    };
    for (const Bad& b : {Bad{"onbekend", 0, ""}, Bad{"naam +", 0, ""}, Bad{"naam", 0, "bedrag"},
                         Bad{"naam", 0, "onbekend = 1"}, Bad{"naam", 1, ""}}) {
        SCOPED_TRACE(b.key + std::string(" / ") + b.condition);
        EXPECT_EQ(sx_Index(Path("bad.idx").c_str(), b.key, b.option, 0, b.condition), 0);
        EXPECT_STRNE(sx_LastErrorText(), "");
    }
    EXPECT_EQ(sx_SysProp(3000, 0), 0);
    EXPECT_EQ(sx_IndexOpen(Path("missing.idx").c_str()), 0);

    // Every flipped byte is caught (the checksum covers the whole file).
    std::string bytes;
    {
        std::ifstream in(file, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    for (std::size_t at : {std::size_t{0}, std::size_t{20}, bytes.size() / 2, bytes.size() - 1}) {
        std::string damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x10);
        std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;
        EXPECT_EQ(sx_IndexOpen(file.c_str()), 0) << at;
        EXPECT_STRNE(sx_LastErrorText(), "");
    }
    // A sound file made for another table does not fit this one.
    const std::string other = Create("other.DBF", "ANDERS:C:5");
    Open(other);
    ASSERT_NE(sx_Index(Path("anders.idx").c_str(), "anders", 0, 0, ""), 0);
    sx_Close();
    sx_Select(1);
    EXPECT_EQ(sx_IndexOpen(Path("anders.idx").c_str()), 0);
    EXPECT_STRNE(sx_LastErrorText(), "");
    EXPECT_EQ(sx_SysProp(3000, 0), 0);
}

// Records that another process appends reach this process's open orders and count.
TEST_F(IndexTest, AppendsOfAnotherProcessReachTheOpenOrders) {
    OpenBook(SX_SHARED);
    AddNames({"m", "c"});
    sx_Unlock(0);
    MakeIndex("naam.idx", "naam");
    ASSERT_TRUE(sx_Query("naam <> 'x'"));
    EXPECT_EQ(sx_Count(), 2);
    const pid_t child = Spawn([&] {
        if (sx_Use(path_.c_str(), "other", SX_SHARED, SX_FOX) == 0) {
            return 4;
        }
        for (const char* naam : {"a", "x", "z"}) {
            if (sx_AppendEx() != 0 || !sx_Replace("NAAM", SX_R_CHAR, naam)) {
                return 5;
            }
            sx_Unlock(0);
        }
        return 0;
    });
    ASSERT_EQ(ExitStatus(child), 0);
    EXPECT_EQ(sx_Count(), 4);  // the cached count follows the grown header count
    EXPECT_EQ(Walk(), (std::vector<int>{3, 2, 1, 5}));
    EXPECT_TRUE(sx_Seek("z"));
    EXPECT_EQ(sx_RecNo(), 5);
    // Our own append after theirs keeps every order whole.
    Add("b");
    sx_Unlock(0);
    EXPECT_EQ(Walk(), (std::vector<int>{3, 6, 2, 1, 5}));
}

// An append shows in the count before its values: another open must not keep the blank key it
// read then. A opens shared and builds an index, B appends, A counts, B fills in the name, A seeks.
TEST_F(IndexTest, AnAppendStillBeingFilledInIsKeyedByItsValues) {
    OpenBook(SX_SHARED);
    AddNames({"Zeeman", "Bakker"});
    sx_Unlock(0);
    MakeIndex("naam.idx", "naam");
    Signal toA;
    Signal toB;
    const pid_t b = Spawn([&] {
        if (sx_Use(path_.c_str(), "other", SX_SHARED, SX_FOX) == 0) {
            return 4;
        }
        if (sx_AppendEx() != 0) {
            return 5;
        }
        toA.Send();
        if (!toB.Wait() || !sx_Replace("NAAM", SX_R_CHAR, "Jansen")) {
            return 6;
        }
        toA.Send();
        if (!toB.Wait()) {
            return 7;
        }
        sx_Unlock(0);
        toA.Send();
        return toB.Wait() ? 0 : 8;
    });
    ASSERT_TRUE(toA.Wait());
    EXPECT_EQ(sx_Count(), 3);
    EXPECT_EQ(Walk(), (std::vector<int>{3, 2, 1}));  // blank, as the record stands now
    toB.Send();
    ASSERT_TRUE(toA.Wait());
    // B still holds the record: its name is followed at once.
    EXPECT_TRUE(sx_Seek("Jansen"));
    EXPECT_EQ(sx_RecNo(), 3);
    EXPECT_EQ(Walk(), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(sx_Count(), 3);
    toB.Send();
    ASSERT_TRUE(toA.Wait());
    EXPECT_TRUE(sx_Seek("Jansen"));
    EXPECT_EQ(sx_RecNo(), 3);
    toB.Send();
    ASSERT_EQ(ExitStatus(b), 0);
    EXPECT_EQ(Walk(), (std::vector<int>{2, 3, 1}));
    EXPECT_EQ(WalkBack(), (std::vector<int>{2, 3, 1}));
    // The file written at close holds the name too.
    sx_CloseAll();
    Open(path_, SX_SHARED);
    ASSERT_EQ(sx_IndexOpen(Path("naam.idx").c_str()), 1) << sx_LastErrorText();
    EXPECT_EQ(Walk(), (std::vector<int>{2, 3, 1}));
}

// Three writers append and fill in records, some in two steps and with a commit between, while
// a reader seeks every record they report; at the end the order walks like a sort of the table.
TEST_F(IndexTest, ReaderSeeksEveryRecordThatWritersReport) {
    OpenBook(SX_SHARED);
    MakeIndex("naam.idx", "naam");
    constexpr int kEach = 150;
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    Signal go;
    auto writer = [&](char tag) {
        return [&, tag] {
            close(report[0]);
            if (!go.Wait()) {
                return 3;
            }
            sx_SetLockTimeout(20);
            if (sx_Use(path_.c_str(), "writer", SX_SHARED, SX_FOX) == 0) {
                return 4;
            }
            for (int i = 0; i < kEach; ++i) {
                char naam[16];
                std::snprintf(naam, sizeof naam, "%c%04d", tag, (i * 37) % kEach);
                if (sx_AppendEx() != 0) {
                    return 5;
                }
                if (i % 3 == 0 && (!sx_Replace("NAAM", SX_R_CHAR, "voorlopig") || !sx_Commit())) {
                    return 6;
                }
                const double bedrag = i;
                if (!sx_Replace("NAAM", SX_R_CHAR, naam) ||
                    !sx_Replace("BEDRAG", SX_R_DOUBLE, &bedrag)) {
                    return 6;
                }
                const int recno = sx_RecNo();
                sx_Unlock(0);
                char line[64];
                const int n = std::snprintf(line, sizeof line, "%d %s\n", recno, naam);
                if (write(report[1], line, static_cast<size_t>(n)) != n) {
                    return 7;
                }
            }
            close(report[1]);
            return 0;
        };
    };
    std::vector<pid_t> writers;
    for (const char tag : {'A', 'B', 'C'}) {
        writers.push_back(Spawn(writer(tag)));
    }
    close(report[1]);
    for (std::size_t i = 0; i < writers.size(); ++i) {
        go.Send();
    }
    FILE* reports = fdopen(report[0], "r");
    ASSERT_NE(reports, nullptr);
    int recno = 0;
    char naam[16];
    int seen = 0;
    while (std::fscanf(reports, "%d %15s", &recno, naam) == 2) {
        ++seen;
        ASSERT_TRUE(sx_Seek(naam)) << naam;
        EXPECT_EQ(sx_RecNo(), recno) << naam;
    }
    std::fclose(reports);
    for (const pid_t w : writers) {
        EXPECT_EQ(ExitStatus(w), 0);
    }
    EXPECT_EQ(seen, 3 * kEach);
    EXPECT_EQ(sx_Count(), 3 * kEach);
    const std::vector<int> walk = Walk();
    EXPECT_EQ(walk, SortedBy([](int) { return std::string(sx_GetString("NAAM")); }, false, false));
    ASSERT_EQ(walk.size(), 3u * kEach);
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
}

// Keys over the whole record, with duplicates, blanks and a character above 127 among them.
const char* const kWideKeys[] = {"naam",
                                 "UPPER(naam)",
                                 "bedrag",
                                 "datum",
                                 "naam + STR(bedrag, 7, 2)",
                                 "DTOS(datum) + naam",
                                 "UPPER(naam) + DTOS(datum)",
                                 "STR(bedrag, 7, 2) + naam",
                                 "SUBSTR(naam, 2, 3)",
                                 "naam + DTOS(datum)",
                                 "UPPER(SUBSTR(naam, 1, 4))",
                                 "bedrag",
                                 "naam"};

void AddMixedBook(const std::function<void(const std::string&, double, const std::string&)>& add,
                  int records = 300) {
    const char* names[] = {"jan", "Jan", "", "Ëlla", "ëlla", "Zoë", "anna", "Jansen", "", "jan"};
    for (int i = 0; i < records; ++i) {
        add(names[(i * 7) % 10], static_cast<double>((i * 13) % 17) / 4,
            i % 5 == 0 ? ""
                       : "0" + std::to_string(1 + i % 9) + "/1" + std::to_string(i % 3) + "/9" +
                             std::to_string(i % 10));
    }
}

// Reindex builds every order on a few threads; each file must equal the one a build of that
// order alone writes. Wide records make the table span several read segments.
TEST_F(IndexTest, OrdersBuiltTogetherEqualOrdersBuiltOneByOne) {
    struct Layout {
        const char* fields;
        int records;
    };
    const Layout layouts[] = {
        {"NAAM:C:10,BEDRAG:N:7:2,DATUM:D,NOTE:M", 300},
        {"NAAM:C:10,BEDRAG:N:7:2,DATUM:D,A:C:250,B:C:250,C:C:250,D:C:250,E:C:250,F:C:250", 2500},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.fields);
        sx_CloseAll();
        std::filesystem::remove_all(Path("t"));
        std::filesystem::create_directory(Path("t"));
        path_ = Create("t/book.DBF", layout.fields);
        Open(path_, SX_SHARED);
        AddMixedBook([&](const std::string& n, double b, const std::string& d) { Add(n, b, d); },
                     layout.records);
        ASSERT_TRUE(sx_Delete());
        sx_Unlock(0);
        std::vector<std::string> alone;
        for (std::size_t i = 0; i < std::size(kWideKeys); ++i) {
            MakeIndex("t/k" + std::to_string(i) + ".idx", kWideKeys[i]);
            alone.push_back(FileBytes(Path("t/k" + std::to_string(i) + ".idx")));
        }
        ASSERT_TRUE(sx_Reindex()) << sx_LastErrorText();
        for (std::size_t i = 0; i < std::size(kWideKeys); ++i) {
            EXPECT_EQ(FileBytes(Path("t/k" + std::to_string(i) + ".idx")), alone[i])
                << kWideKeys[i];
        }
        sx_SetOrder(5);
        // The engine keeps one returned text per area at a time: copy each before the next call.
        EXPECT_EQ(Walk(), SortedBy(
                              [](int) {
                                  std::string key = sx_GetString("NAAM");
                                  return key + sx_GetString("BEDRAG");
                              },
                              false, false));
    }
}

// Large builds sort on a few threads, and a reindex that finds every order changed builds them
// together in one pass with each order's sort on a thread of its own: every order must still be
// the one a plain sort of the table gives, byte for byte the file a build of it alone writes.
TEST_F(IndexTest, LargeBuildsOnThreadsEqualPlainSorts) {
    path_ = Create("groot.DBF", "NAAM:C:10,BEDRAG:N:7:2,DATUM:D,VULLING:C:250");
    Open(path_, SX_EXCLUSIVE);
    // Duplicates, blanks and bytes above 0x7F, in wide records that span several read segments.
    const char* names[] = {"jan",    "Jan",  "",       "\xCBlla", "\xEBlla",
                           "Zo\xEB", "anna", "Jansen", "a",       "jan"};
    constexpr int kRecords = 40000;
    for (int i = 0; i < kRecords; ++i) {
        char record[300];
        const int day = 1 + (i * 7) % 28;
        std::snprintf(record, sizeof record, " %-10s%7.2f%-8s%-250s", names[(i * 7) % 10],
                      static_cast<double>((i * 13) % 97) / 4,
                      i % 5 == 0 ? ""
                                 : ("199" + std::to_string(i % 10) + "03" + (day < 10 ? "0" : "") +
                                    std::to_string(day))
                                       .c_str(),
                      i % 3 == 0 ? "" : "vulling");
        ASSERT_EQ(sx_AppendEx(), 0) << sx_LastErrorText();
        sx_PutRecord(record);
    }
    struct Order {
        const char* key;
        bool descending;
        std::function<std::string(int)> sortKey;
    };
    const std::vector<Order> orders = {
        {"naam", false, [](int) { return std::string(sx_GetString("NAAM")); }},
        {"naam + DTOS(datum)", true,
         [](int) {
             std::string key = sx_GetString("NAAM");
             return key + sx_GetString("DATUM");
         }},
        {"bedrag", false, [](int) { return NumberKey(std::atof(sx_GetString("BEDRAG"))); }},
        {"naam + vulling", false,
         [](int) {
             std::string key = sx_GetString("NAAM");
             return key + sx_GetString("VULLING");
         }},
    };
    auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        for (std::size_t i = 0; i < orders.size(); ++i) {
            const auto expected = SortedBy(orders[i].sortKey, orders[i].descending, false);
            sx_SetOrder(static_cast<int32_t>(i + 1));
            EXPECT_EQ(Walk(), expected) << orders[i].key;
        }
    };
    for (std::size_t i = 0; i < orders.size(); ++i) {
        MakeIndex("g" + std::to_string(i) + ".idx", orders[i].key, orders[i].descending);
    }
    check("built one by one");
    // A write that changes every key: the reindex builds all orders anew, together.
    sx_Go(7);
    const double bedrag = 3.5;
    ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, "\xEBlla"));
    ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &bedrag));
    ASSERT_TRUE(sx_Replace("DATUM", SX_R_CHAR, "19980101"));
    ASSERT_TRUE(sx_Replace("VULLING", SX_R_CHAR, "anders"));
    ASSERT_TRUE(sx_Reindex()) << sx_LastErrorText();
    check("built together");
    for (std::size_t i = 0; i < orders.size(); ++i) {
        MakeIndex("alleen" + std::to_string(i) + ".idx", orders[i].key, orders[i].descending);
        EXPECT_EQ(FileBytes(Path("g" + std::to_string(i) + ".idx")),
                  FileBytes(Path("alleen" + std::to_string(i) + ".idx")))
            << orders[i].key;
    }
}

// Reindex may keep an order that a rebuild would leave as it is; whatever it does, every order
// afterwards holds what a fresh build of its key holds.
TEST_F(IndexTest, ReindexLeavesOnlyCurrentOrdersAsTheyAre) {
    struct Case {
        const char* name;
        int mode;
        std::function<void(const std::string& table)> between;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"nothing, exclusive", SX_EXCLUSIVE, [](const std::string&) {}, true},
        {"a write by this open", SX_EXCLUSIVE,
         [](const std::string&) {
             sx_Go(3);
             ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, "aaa"));
         },
         false},
        // The entries stay, but the file is written again for the table's new change stamp:
        // else the next open could not tell it from one made before the change.
        {"a delete by this open, which changes no key", SX_EXCLUSIVE,
         [](const std::string&) {
             sx_Go(4);
             ASSERT_TRUE(sx_Delete());
         },
         false},
        // A shared open cannot know what others wrote: its pass compares every key, and a
        // file that still holds what this open saved stays.
        {"nothing, shared", SX_SHARED, [](const std::string&) {}, true},
        {"the index file overwritten in place, shared", SX_SHARED,
         [this](const std::string&) {
             // File times move in clock ticks: let one pass, as it would for another program.
             std::this_thread::sleep_for(std::chrono::milliseconds(20));
             std::fstream f(Path("naam.idx"), std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(-8, std::ios::end);
             f.write("xxxxxxxx", 8);
         },
         false},
        {"an append by another process", SX_SHARED,
         [](const std::string& table) {
             const std::string path = table;
             const pid_t child = Spawn([path] {
                 if (sx_Use(path.c_str(), "other", SX_SHARED, SX_FOX) == 0 || sx_AppendEx() != 0 ||
                     !sx_Replace("NAAM", SX_R_CHAR, "aaa")) {
                     return 4;
                 }
                 return 0;
             });
             ASSERT_EQ(ExitStatus(child), 0);
         },
         false},
        {"a write by another open in this process", SX_SHARED,
         [](const std::string& table) {
             const int here = sx_Select(0);
             ASSERT_NE(sx_Use(table.c_str(), "tweede", SX_SHARED, SX_FOX), 0);
             sx_Go(2);
             ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, "aaa"));
             sx_Unlock(0);
             sx_Close();
             sx_Select(here);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sx_CloseAll();
        OpenBook(c.mode);
        AddMixedBook([&](const std::string& n, double b, const std::string& d) { Add(n, b, d); });
        sx_Unlock(0);
        MakeIndex("naam.idx", "naam");
        MakeIndex("datum.idx", "DTOS(datum) + naam");
        const ino_t before = InodeOf(Path("naam.idx"));
        c.between(path_);
        if (HasFatalFailure()) {
            return;
        }
        ASSERT_TRUE(sx_Reindex()) << sx_LastErrorText();
        EXPECT_EQ(InodeOf(Path("naam.idx")) == before, c.kept);
        sx_SetOrder(1);
        const std::vector<int> walk = Walk();
        EXPECT_EQ(walk,
                  SortedBy([](int) { return std::string(sx_GetString("NAAM")); }, false, false));
        MakeIndex("vers.idx", "naam");
        EXPECT_EQ(FileBytes(Path("naam.idx")), FileBytes(Path("vers.idx")));
        MakeIndex("versdatum.idx", "DTOS(datum) + naam");
        EXPECT_EQ(FileBytes(Path("datum.idx")), FileBytes(Path("versdatum.idx")));
    }
}

// Builds in a row write into the pages the build before handed back: those must read as
// fresh ones (a record a condition leaves out keeps no number), and go back to the system at
// the first call that is not a build.
TEST_F(IndexTest, BuildsInARowReuseEachOthersPagesAsFreshOnesAndGiveThemBack) {
    OpenBook(SX_SHARED);
    AddMixedBook([&](const std::string& n, double b, const std::string& d) { Add(n, b, d); }, 3000);
    sx_Unlock(0);
    sx_GoTop();
    ASSERT_EQ(xb::KeptPageBytes(), 0u);
    MakeIndex("alles.idx", "naam");
    MakeIndex("deel.idx", "naam", false, "bedrag > 2");
    EXPECT_GT(xb::KeptPageBytes(), 0u);
    sx_GoTop();
    EXPECT_EQ(xb::KeptPageBytes(), 0u);
    MakeIndex("los.idx", "naam", false, "bedrag > 2");
    EXPECT_EQ(FileBytes(Path("deel.idx")), FileBytes(Path("los.idx")));
    sx_Reindex();
    EXPECT_EQ(xb::KeptPageBytes(), 0u);
}

// Index builds in a row see whatever was written between them, here or elsewhere, and each
// equals the build a fresh open of the table makes.
TEST_F(IndexTest, IndexBuildsInARowSeeEveryWriteBetweenThem) {
    struct Case {
        const char* name;
        int mode;
        std::function<void(const std::string& table)> between;
    };
    const auto writeHere = [](const std::string&) {
        sx_Go(3);
        ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, "aaa"));
        ASSERT_TRUE(sx_Commit());
    };
    const std::vector<Case> cases = {
        {"nothing, exclusive", SX_EXCLUSIVE, [](const std::string&) {}},
        {"a write by this open, exclusive", SX_EXCLUSIVE, writeHere},
        {"an append by this open, exclusive", SX_EXCLUSIVE,
         [](const std::string&) {
             ASSERT_EQ(sx_AppendEx(), 0);
             ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, "aab"));
             ASSERT_TRUE(sx_Commit());
         }},
        {"nothing, shared", SX_SHARED, [](const std::string&) {}},
        {"a write by this open, shared", SX_SHARED, writeHere},
        {"a write by another open in this process", SX_SHARED,
         [](const std::string& table) {
             const int here = sx_Select(0);
             ASSERT_NE(sx_Use(table.c_str(), "tweede", SX_SHARED, SX_FOX), 0);
             sx_Go(2);
             ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, "aaa"));
             sx_Unlock(0);
             sx_Close();
             sx_Select(here);
         }},
        {"a write by another process", SX_SHARED,
         [](const std::string& table) {
             const std::string path = table;
             const pid_t child = Spawn([path] {
                 if (sx_Use(path.c_str(), "other", SX_SHARED, SX_FOX) == 0) {
                     return 4;
                 }
                 sx_Go(4);
                 if (!sx_Replace("NAAM", SX_R_CHAR, "aac") || !sx_Commit()) {
                     return 5;
                 }
                 sx_Unlock(0);
                 return 0;
             });
             ASSERT_EQ(ExitStatus(child), 0);
         }},
    };
    const char* const second = "UPPER(naam) + DTOS(datum)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sx_CloseAll();
        OpenBook(c.mode);
        AddMixedBook([&](const std::string& n, double b, const std::string& d) { Add(n, b, d); });
        sx_Unlock(0);
        sx_Commit();
        MakeIndex("first.idx", "naam");
        c.between(path_);
        if (HasFatalFailure()) {
            return;
        }
        MakeIndex("second.idx", second);
        MakeIndex("third.idx", "naam");
        EXPECT_EQ(Walk(),
                  SortedBy([](int) { return std::string(sx_GetString("NAAM")); }, false, false));
        // The same builds from a fresh open of the table as it now lies.
        sx_CloseAll();
        Open(path_, c.mode);
        MakeIndex("fresh2.idx", second);
        MakeIndex("fresh3.idx", "naam");
        EXPECT_EQ(FileBytes(Path("second.idx")), FileBytes(Path("fresh2.idx")));
        EXPECT_EQ(FileBytes(Path("third.idx")), FileBytes(Path("fresh3.idx")));
    }
}

}  // namespace
}  // namespace xbtest
