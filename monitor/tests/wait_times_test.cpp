#include "monitor/wait_times.h"

#include <gtest/gtest.h>

#include "platform/rtl/tests/temp_dir.h"

namespace monitor {
namespace {

TEST(WaitTimes, SearchWaitAlwaysEnds) {
    struct Case {
        std::string zoektijd;
        int seconds;
    };
    const Case cases[] = {
        {"60", 60},
        {"1", 1},
        {"0", 5},
        {"-3", 5},
        {"", 5},
        {"abc", 5},
        {"1.5", 5},
        {"2147483647", 2147483647},
        {"99999999999", 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SearchWaitSeconds(c.zoektijd), c.seconds) << c.zoektijd;
    }
    EXPECT_EQ(SearchWaitMilliseconds("60"), 59997);
    EXPECT_EQ(SearchWaitMilliseconds("0"), 4997);
    EXPECT_EQ(SearchWaitMilliseconds("2147483647"), 2147483647);
}

TEST(WaitTimes, StartDelayIsNeverNegative) {
    struct Case {
        std::string file;
        int seconds;
    };
    const Case cases[] = {
        {"", 0},
        {"[algemeen]\r\nstartvertraging=20\r\n", 20},
        {"[algemeen]\r\nstartvertraging=-5\r\n", 0},
        {"[algemeen]\r\nstartvertraging=abc\r\n", 0},
    };
    for (const auto& c : cases) {
        rtl::testing::TempDir dir;
        dir.Write("belvo.ini", c.file);
        EXPECT_EQ(ReadStartDelaySeconds(rtl::TIniFile(dir.File("belvo.ini"))), c.seconds) << c.file;
    }
    EXPECT_EQ(StartDelaySeconds(-1), 0);
    EXPECT_EQ(StartDelaySeconds(3), 3);
}

}  // namespace
}  // namespace monitor
