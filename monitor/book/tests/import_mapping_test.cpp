#include "monitor/book/import_mapping.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace book {
namespace {

int TargetOf(const std::string& field) {
    for (int t = 0; t < kImportTargets; ++t) {
        if (kImportTarget[static_cast<std::size_t>(t)].field == field) {
            return t;
        }
    }
    ADD_FAILURE() << field;
    return 0;
}

std::map<std::string, std::string> Stored(const ImportMapping& mapping,
                                          const std::vector<std::string>& fields) {
    std::map<std::string, std::string> stored;
    for (const ImportValue& v : mapping.Values(fields)) {
        EXPECT_TRUE(stored.emplace(v.field, v.text).second) << v.field;
    }
    return stored;
}

TEST(ImportMapping, AColumnMappedTwiceFillsOnlyTheFirstInItsOrder) {
    struct Case {
        std::vector<std::string> targets;  // all mapped to column 1
        std::string filled;
    };
    const Case cases[] = {
        {{"naam", "omschr"}, "naam"},       {{"omschr", "naam"}, "naam"},
        {{"voornaam", "nummer"}, "nummer"}, {{"naam", "extra"}, "extra"},
        {{"memo", "omschr"}, "omschr"},     {{"fontkleur", "kleur", "cmdline"}, "cmdline"},
        {{"zoekstatus", "tijd"}, "tijd"},
    };
    for (const Case& c : cases) {
        ImportMapping mapping;
        for (const std::string& t : c.targets) {
            mapping.Set(TargetOf(t), 1);
        }
        const auto stored = Stored(mapping, {"waarde"});
        ASSERT_EQ(stored.size(), 1u) << c.filled;
        EXPECT_EQ(stored.begin()->first, c.filled);
    }
}

TEST(ImportMapping, ValuesAsTheyAreStored) {
    ImportMapping mapping;
    mapping.Set(TargetOf("nummer"), 1);
    mapping.Set(TargetOf("straat"), 2);
    mapping.Set(TargetOf("memo"), 3);
    mapping.Set(TargetOf("afwijzen"), 4);
    mapping.Set(TargetOf("plaats"), 9);  // past the line's fields
    const auto stored =
        Stored(mapping, {"020-123-4567", "Dorpsstraat\r\n12", "regel\r\ntwee", "1010", "rest"});
    const std::map<std::string, std::string> expected = {
        {"nummer", "0201234567"},
        {"straat", "Dorpsstraat 12"},
        {"memo", "regel\r\ntwee"},
        {"afwijzen", "1010"},
    };
    EXPECT_EQ(stored, expected);
}

TEST(ImportMapping, EmptyUntilAColumnIsSet) {
    ImportMapping mapping;
    EXPECT_TRUE(mapping.Empty());
    mapping.Set(TargetOf("extra"), 0);
    EXPECT_TRUE(mapping.Empty());
    mapping.Set(TargetOf("extra"), 2);
    EXPECT_FALSE(mapping.Empty());
    EXPECT_EQ(mapping.Column(TargetOf("extra")), 2);
    mapping.Clear();
    EXPECT_TRUE(mapping.Empty());
    EXPECT_TRUE(mapping.Values({"a", "b"}).empty());
}

}  // namespace
}  // namespace book
