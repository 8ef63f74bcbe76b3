#include "platform/os/dde_names.h"

#include <gtest/gtest.h>

namespace os {
namespace {

TEST(DdeBusNameTest, FileNamesBecomeValidBusNames) {
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"/opt/belverin/belverin", "nl.belverin.belverin"},
        {"/opt/belverin/Belverin.exe", "nl.belverin.Belverin"},
        {"belverin", "nl.belverin.belverin"},
        {"/a.b/belverin-test.bin", "nl.belverin.belverin_test"},
        {"/x/my monitor", "nl.belverin.my_monitor"},
        {"/x/2belverin", "nl.belverin._2belverin"},
        {"/x/_intern", "nl.belverin._intern"},
        {"/x/belver\xc3\xabn", "nl.belverin.belver__n"},  // each byte of a non-ASCII letter
        {"/x/a.b.c", "nl.belverin.a_b"},
        {"/x/.verborgen", "nl.belverin._verborgen"},
        {"/x/", "nl.belverin._"},
        {"", "nl.belverin._"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DdeBusName(c.path), c.expected) << c.path;
    }
}

}  // namespace
}  // namespace os
