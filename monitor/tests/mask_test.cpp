#include "monitor/mask.h"

#include <gtest/gtest.h>

namespace monitor {
namespace {

TEST(Mask, PositionsPastTheEndHaveTheirOwnMeaning) {
    struct Case {
        std::string text;
        int index;
        bool on;      // as a mask or reject field
        char choice;  // as an entry's sound choice
    };
    const Case cases[] = {
        {"1011", 0, true, '1'},   {"1011", 1, false, '0'},       {"1011", 3, true, '1'},
        {"1011", 4, false, '1'},  {"", 0, false, '1'},           {"2", 0, false, '2'},
        {"1111", -1, false, '1'}, {"0000000000", 9, false, '0'}, {"1111111111", 10, false, '1'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MaskOn(c.text, c.index), c.on) << c.text << " " << c.index;
        EXPECT_EQ(SoundChoice(c.text, c.index), c.choice) << c.text << " " << c.index;
    }
    EXPECT_EQ(MaskChar("12", 5, '?'), '?');
}

}  // namespace
}  // namespace monitor
