#include "monitor/monitor_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/rtl/ini_file.h"

namespace monitor {
namespace {

const MonitorFont kVenster{"Arial", 11};

class MonitorLayoutTest : public ::testing::Test {
  protected:
    MonitorLayoutTest()
        : path_(std::filesystem::temp_directory_path() /
                ("belvo-layout-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini")),
          ini_(path_.string()) {}
    ~MonitorLayoutTest() override { std::filesystem::remove(path_); }

    void Write(const std::string& text) { std::ofstream(path_) << text; }
    std::string Text() const {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path path_;
    rtl::TIniFile ini_;
};

TEST_F(MonitorLayoutTest, StoredValuesWinAndMissingOnesTakeTheDesign) {
    const struct {
        const char* name;
        const char* file;
        MonitorLayout expected;
    } cases[] = {
        {"no section", "[capi]\nkaartnummer=1\n", StandaardMonitorLayout(kVenster)},
        {"zeros are values", "[belverin]\ntop=0\nleft=0\nwidth=0\nheight=0\npanelnaamheight=0\n",
         [] {
             MonitorLayout l = StandaardMonitorLayout(kVenster);
             l.width = 0;
             l.height = 0;
             l.panelnaamheight = 0;
             return l;
         }()},
        {"all stored",
         "[belverin]\ntop=120\nwidth=600\nleft=-40\nheight=400\npanelnaamheight=50\n"
         "panelmsnheight=200\npanel1height=60\nnummerfontname=Courier New\nnummerfontsize=20\n"
         "naamfontname=Times\nnaamfontsize=14\nmsnfontname=Verdana\nmsnfontsize=9\n"
         "msnfontcolor=255\n",
         [] {
             MonitorLayout l;
             l.top = 120;
             l.width = 600;
             l.left = -40;
             l.height = 400;
             l.panelnaamheight = 50;
             l.panelmsnheight = 200;
             l.panel1height = 60;
             l.nummerfont = {"Courier New", 20};
             l.naamfont = {"Times", 14};
             l.msnfont = {"Verdana", 9};
             return l;  // the colour is never read back
         }()},
        {"unusable fonts keep the window's",
         "[belverin]\nnummerfontname=\nnummerfontsize=0\nnaamfontsize=-3\nmsnfontsize=abc\n",
         StandaardMonitorLayout(kVenster)},
    };
    for (const auto& c : cases) {
        Write(c.file);
        EXPECT_EQ(LeesMonitorLayout(ini_, kVenster), c.expected) << c.name;
    }
}

TEST_F(MonitorLayoutTest, WritingEveryKeyRoundTrips) {
    MonitorLayout l;
    l.top = 7;
    l.width = 510;
    l.left = 0;
    l.height = 300;
    l.panelnaamheight = 30;
    l.panelmsnheight = 100;
    l.panel1height = 70;
    l.nummerfont = {"DejaVu Sans", 18};
    l.naamfont = {"Arial", 12};
    l.msnfont = {"Liberation Mono", 10};
    l.msnfontcolor = 0x800080;
    SchrijfMonitorLayout(ini_, l);
    EXPECT_EQ(Text(),
              "[belverin]\r\ntop=7\r\nwidth=510\r\nleft=0\r\nheight=300\r\npanelnaamheight=30\r\n"
              "panelmsnheight=100\r\npanel1height=70\r\nnummerfontname=DejaVu Sans\r\n"
              "nummerfontsize=18\r\nnaamfontname=Arial\r\nnaamfontsize=12\r\n"
              "msnfontname=Liberation Mono\r\nmsnfontsize=10\r\nmsnfontcolor=8388736\r\n");
    MonitorLayout back = LeesMonitorLayout(ini_, kVenster);
    back.msnfontcolor = l.msnfontcolor;
    EXPECT_EQ(back, l);
}

TEST(KeepOnAScreenTest, OnlyAWindowOffEveryScreenMoves) {
    const std::vector<ScreenRect> screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const ScreenRect primary{0, 30, 1920, 1050};
    const struct {
        ScreenRect window;
        ScreenRect expected;
    } cases[] = {
        {{100, 100, 509, 345}, {100, 100, 509, 345}},
        {{3000, 900, 509, 345}, {3000, 900, 509, 345}},    // on the second screen
        {{-500, -300, 509, 345}, {-500, -300, 509, 345}},  // a corner still shows
        {{-509, 0, 509, 345}, {0, 30, 509, 345}},          // touching is not showing
        {{5000, 100, 509, 345}, {0, 30, 509, 345}},
        {{100, 4000, 509, 345}, {0, 30, 509, 345}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeepOnAScreen(c.window, screens, primary), c.expected)
            << c.window.left << "," << c.window.top;
    }
}

}  // namespace
}  // namespace monitor
