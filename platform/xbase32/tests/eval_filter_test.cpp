#include <cstring>
#include <functional>
#include <random>

#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

class EvalFilterTest : public EngineTest {
  protected:
    void OpenTable() {
        path_ = Create("t.DBF", "NAAM:C:10,VOORNAAM:C:8,BEDRAG:N:7:2,DATUM:D,ACTIEF:L,NOTE:M");
        Open(path_);
    }
    void Add(const std::string& naam, double bedrag = 0, const std::string& voornaam = "") {
        ASSERT_EQ(sx_AppendEx(), 0) << sx_LastErrorText();
        ASSERT_TRUE(sx_Replace("NAAM", SX_R_CHAR, naam.c_str()));
        ASSERT_TRUE(sx_Replace("VOORNAAM", SX_R_CHAR, voornaam.c_str()));
        ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &bedrag));
    }
    std::vector<int> Walk() {
        std::vector<int> seen;
        for (sx_GoTop(); !sx_Eof(); sx_Skip(1)) {
            seen.push_back(sx_RecNo());
        }
        return seen;
    }
    std::string path_;
};

// Expressions on the current record: its type as sx_EvalTest gives it and its value as text
// (logicals as T or F through sx_EvalLogical).
TEST_F(EvalFilterTest, ExpressionsOnTheCurrentRecord) {
    OpenTable();
    Add("Pieters", 1);
    sx_SetEpoch(1950);  // two-digit years from 1950 to 2049
    Add("Jansen", 12.5, "Zo\xEB");
    ASSERT_TRUE(sx_Replace("DATUM", SX_R_DATESTR, "02/29/24"));
    const int32_t yes = 1;
    ASSERT_TRUE(sx_Replace("ACTIEF", SX_R_LOGICAL, &yes));
    struct Case {
        const char* expression;
        bool exact;
        int type;
        const char* value;
    };
    const Case cases[] = {
        {"naam", true, 1, "Jansen    "},
        {"TRIM(Naam) + ', ' + voornaam", true, 1, "Jansen, Zo\xEB     "},
        {"UPPER(voornaam)", true, 1, "ZO\xCB     "},
        {"LOWER('\xC9MILE \xC7"
         "A')",
         true, 1,
         "\xE9mile \xE7"
         "a"},
        {"bedrag", true, 2, "  12.50"},
        {"LTRIM(STR(bedrag * 2 - 1, 10, 1))", true, 1, "24.0"},
        {"STR(VAL('12.5') + 1, 6, 2)", true, 1, " 13.50"},
        {"SUBSTR(naam, 2, 3) + LEFT(naam, 1) + RIGHT(TRIM(naam), 2)", true, 1, "ansJen"},
        {"ALLTRIM('  a  ') + RTRIM(' b ') + LTRIM(' c ')", true, 1, "a bc "},
        {"DTOS(datum)", true, 1, "20240229"},
        {"DTOC(datum + 1)", true, 1, "03/01/24"},
        {"LTRIM(STR(CTOD('03/10/24') - datum))", true, 1, "10"},
        {"LTRIM(STR(RECNO()))", true, 1, "2"},
        {"IIF(actief, 'ja', 'nee')", true, 1, "ja"},
        {"DELETED()", true, 3, "F"},
        {"EMPTY(voornaam) .OR. EMPTY(bedrag)", true, 3, "F"},
        {"'sen' $ naam .and. .not. 'SEN' $ naam", true, 3, "T"},
        {"bedrag >= 12.5 .AND. bedrag < 13 .and. bedrag <> 12 .and. bedrag # 1", true, 3, "T"},
        {"naam = 'Jan'", true, 3, "F"},
        {"naam = 'Jan'", false, 3, "T"},
        {"naam == 'Jan'", false, 3, "F"},
        {"naam = 'Jansen'", true, 3, "T"},
        {"naam = ''", false, 3, "T"},
        {"naam = ''", true, 3, "F"},
        {"naam < 'Jb' .and. naam > 'Ja' .and. naam != 'x'", true, 3, "T"},
        {"UPPER(voornaam) = 'ZO\xCB'", true, 3, "T"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.expression) + (c.exact ? " (exact)" : ""));
        sx_SetExact(c.exact ? 1 : 0);
        EXPECT_EQ(sx_EvalTest(c.expression), c.type);
        if (c.type == 3) {
            EXPECT_EQ(sx_EvalLogical(c.expression) != 0, std::string(c.value) == "T");
        } else {
            EXPECT_STREQ(sx_EvalString(c.expression), c.value);
        }
        EXPECT_STREQ(sx_LastErrorText(), "");
    }
    sx_SetExact(1);
    // The buffer is the current record, also when the caller wrote it.
    char* buffer = reinterpret_cast<char*>(sx_SysProp(65000, 0));
    std::memcpy(buffer + sx_FieldOffset("NAAM") - 1, "Pietje    ", 10);
    EXPECT_STREQ(sx_EvalString("TRIM(naam)"), "Pietje");
    sx_Go(2);
    ASSERT_TRUE(sx_Delete());
    EXPECT_TRUE(sx_EvalLogical("DELETED()"));

    // Unknown names, syntax errors and type mismatches are the error result.
    for (const char* bad : {"onbekend", "naam +", "(naam", "naam + 1", "UPPER(bedrag)",
                            "SUBSTR(naam)", "bedrag .and. .t.", "'open", "ONBEKEND(1)", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(sx_EvalTest(bad), 0);
        EXPECT_STREQ(sx_EvalString(bad), "");
        EXPECT_STRNE(sx_LastErrorText(), "");
        EXPECT_EQ(sx_EvalLogical(bad), 0);
    }
    EXPECT_EQ(sx_EvalLogical("naam"), 0);  // not logical
    EXPECT_STRNE(sx_LastErrorText(), "");
}

TEST_F(EvalFilterTest, FilterComparesTextsByTheExactSetting) {
    OpenTable();
    for (const char* naam : {"Jan", "Jansen", "jan", "", "Ja", "Jan"}) {
        Add(naam);
    }
    sx_Go(6);
    ASSERT_TRUE(sx_Delete());
    struct Case {
        const char* filter;
        bool exact;
        bool hideDeleted;
        std::vector<int> shown;
    };
    const Case cases[] = {
        {"NAAM = 'Jan'", true, false, {1, 6}},   {"NAAM = 'Jan'", false, false, {1, 2, 6}},
        {"NAAM = 'Jan'", true, true, {1}},       {"NAAM = 'Jan'", false, true, {1, 2}},
        {"naam == 'Jan'", false, false, {1, 6}}, {"NAAM = ''", false, false, {1, 2, 3, 4, 5, 6}},
        {"NAAM = ''", true, false, {4}},         {"UPPER(naam) = 'JAN'", true, false, {1, 3, 6}},
        {"", true, true, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.filter) + (c.exact ? " exact" : "") +
                     (c.hideDeleted ? " hiding deleted" : ""));
        sx_SetExact(c.exact ? 1 : 0);
        sx_SetDeleted(c.hideDeleted ? 1 : 0);
        ASSERT_TRUE(sx_Query(c.filter)) << sx_LastErrorText();
        EXPECT_STREQ(sx_DBFilter(), c.filter);
        EXPECT_EQ(Walk(), c.shown);
        sx_Go(3);
        EXPECT_EQ(sx_Count(), static_cast<int32_t>(c.shown.size()));
        EXPECT_EQ(sx_RecNo(), 3);  // counting does not move the cursor
        EXPECT_EQ(sx_SysProp(1006, 0), c.hideDeleted ? 1 : 0);
    }
}

TEST_F(EvalFilterTest, InvalidFilterLeavesTheOldOneInForce) {
    OpenTable();
    Add("Jan", 1);
    Add("Piet", 5);
    Add("Klaas", 9);
    ASSERT_TRUE(sx_Query("naam = 'Jan'"));
    for (const char* bad : {"naam = ", "bedrag", "onbekend = 1", "naam = 'a' .and."}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(sx_Query(bad));
        EXPECT_STRNE(sx_LastErrorText(), "");
        EXPECT_FALSE(sx_SetFilter(bad));
        EXPECT_STREQ(sx_DBFilter(), "naam = 'Jan'");
        EXPECT_EQ(Walk(), std::vector<int>{1});
    }
    EXPECT_TRUE(sx_SetFilter("bedrag > 1"));
    EXPECT_EQ(Walk(), (std::vector<int>{2, 3}));
    EXPECT_STREQ(sx_FilterDlg(0, "naam = 'x'", "Filter", 0), "naam = 'x'");
    EXPECT_STREQ(sx_DBFilter(), "bedrag > 1");  // the dialog sets nothing
    EXPECT_TRUE(sx_Query(""));
    EXPECT_STREQ(sx_DBFilter(), "");
    EXPECT_EQ(Walk(), (std::vector<int>{1, 2, 3}));
}

// The count matches a count by hand over random tables and filters, and no write, setting or
// other area's append leaves a stale count behind.
TEST_F(EvalFilterTest, CountMatchesACountByHand) {
    OpenTable();
    struct Row {
        std::string naam;
        double bedrag;
        bool deleted;
    };
    std::vector<Row> rows;
    std::mt19937 rng(3);
    const char* names[] = {"Jan", "Jansen", "Piet", "Anna", "Ja", "", "Pieters"};
    for (int i = 0; i < 300; ++i) {
        Row r{names[rng() % 7], static_cast<double>(rng() % 100), rng() % 7 == 0};
        Add(r.naam, r.bedrag);
        if (r.deleted) {
            ASSERT_TRUE(sx_Delete());
        }
        rows.push_back(r);
    }
    auto startsWith = [](const std::string& s, const std::string& p) {
        return s.compare(0, p.size(), p) == 0;
    };
    for (int round = 0; round < 40; ++round) {
        const bool exact = rng() % 2 == 0;
        const bool hide = rng() % 2 == 0;
        const int limit = static_cast<int>(rng() % 100);
        const std::string name = names[rng() % 7];
        std::string text;
        std::function<bool(const Row&)> pass;
        switch (rng() % 4) {
            case 0:
                text = "bedrag > " + std::to_string(limit);
                pass = [=](const Row& r) { return r.bedrag > limit; };
                break;
            case 1:
                text = "naam = '" + name + "'";
                pass = [=](const Row& r) {
                    return exact ? r.naam == name : startsWith(r.naam, name);
                };
                break;
            case 2:
                text = "'e' $ naam .or. bedrag <= " + std::to_string(limit);
                pass = [=](const Row& r) {
                    return r.naam.find('e') != std::string::npos || r.bedrag <= limit;
                };
                break;
            default:
                text = ".not. DELETED() .and. naam <> '" + name + "'";
                pass = [=](const Row& r) {
                    const bool equal = exact ? r.naam == name : startsWith(r.naam, name);
                    return !r.deleted && !equal;
                };
        }
        sx_SetExact(exact ? 1 : 0);
        sx_SetDeleted(hide ? 1 : 0);
        ASSERT_TRUE(sx_Query(text.c_str())) << text;
        int32_t expected = 0;
        for (const Row& r : rows) {
            expected += (!hide || !r.deleted) && pass(r) ? 1 : 0;
        }
        SCOPED_TRACE(text + (exact ? " exact" : "") + (hide ? " hiding deleted" : ""));
        EXPECT_EQ(sx_Count(), expected);
        EXPECT_EQ(sx_Count(), expected);  // from the cache
        // A write that moves a record out of or into the filter is counted at once.
        const int recno = static_cast<int>(1 + rng() % rows.size());
        sx_Go(recno);
        Row& r = rows[static_cast<std::size_t>(recno - 1)];
        r.bedrag = static_cast<double>(rng() % 100);
        ASSERT_TRUE(sx_Replace("BEDRAG", SX_R_DOUBLE, &r.bedrag));
        expected = 0;
        for (const Row& row : rows) {
            expected += (!hide || !row.deleted) && pass(row) ? 1 : 0;
        }
        EXPECT_EQ(sx_Count(), expected);
    }
    // An append through another area of the same table reaches the cached count.
    sx_SetDeleted(0);
    ASSERT_TRUE(sx_Query("naam = 'Nieuw'"));
    EXPECT_EQ(sx_Count(), 0);
    sx_Close();
    Open(path_, SX_SHARED, "een");
    ASSERT_TRUE(sx_Query("naam = 'Nieuw'"));
    EXPECT_EQ(sx_Count(), 0);
    const int other = Open(path_, SX_SHARED, "twee");
    Add("Nieuw");
    sx_Unlock(0);
    sx_Select(other - 1);
    EXPECT_EQ(sx_Count(), 1);
    // The settings the count depends on.
    ASSERT_TRUE(sx_Query("naam = 'Nie'"));
    sx_SetExact(0);
    EXPECT_EQ(sx_Count(), 1);
    sx_SetExact(1);
    EXPECT_EQ(sx_Count(), 0);
}

TEST_F(EvalFilterTest, SeekSettingsAsProperties) {
    EXPECT_EQ(sx_SysProp(1002, 0), 1);
    EXPECT_EQ(sx_SysProp(1003, 0), 1);
    EXPECT_EQ(sx_SysProp(1002, 0), 0);
    EXPECT_EQ(sx_SetExact(1), 0);
    EXPECT_EQ(sx_SysProp(1000, 0), 0);
    EXPECT_EQ(sx_SysProp(1001, 1), 0);
    EXPECT_EQ(sx_SysProp(1000, 0), 1);
    EXPECT_EQ(sx_SetSoftSeek(0), 1);
    sx_SetDeleted(1);
    EXPECT_EQ(sx_SysProp(1006, 0), 1);
}

}  // namespace
}  // namespace xbtest
