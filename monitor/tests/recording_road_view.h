#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "monitor/call_road_ports.h"
#include "platform/rtl/exception.h"

namespace monitor::testing {

// The monitor window as state: what a person would see after the road has run.
class RecordingRoadView : public RoadView {
  public:
    std::string nummerLabel;
    std::string gegevensLabel;
    std::int32_t teller = 0;
    std::array<bool, kRoadImages> images{};
    std::optional<std::int32_t> kleur;
    std::optional<std::int32_t> font;
    std::optional<std::int32_t> panel1;
    std::optional<std::int32_t> gegevensFont;
    bool stayOnTop = false;
    int popUps = 0;
    bool visible = false;
    std::optional<int> timer;  // running pop-up time
    std::vector<std::string> memo;
    bool memoEnabled = true;
    bool hourglass = false;
    std::string trayTip;
    bool rejectEnabled = false;
    bool memoButton = false;
    std::string caption;
    std::vector<std::string> statusMemo;
    std::vector<std::string> notices;
    // Every call but ShowNotice throws while set.
    bool failing = false;

    bool Image(int n) const { return images[static_cast<std::size_t>(n - 1)]; }

    void SetNummerLabel(const std::string& text) override {
        Fail();
        nummerLabel = text;
    }
    void SetGegevensLabel(const std::string& text) override {
        Fail();
        gegevensLabel = text;
    }
    void SetTeller(std::int32_t t) override {
        Fail();
        teller = t;
    }
    void SetImageVisible(RoadImage image, bool on) override {
        Fail();
        images[static_cast<std::size_t>(image) - 1] = on;
    }
    void SetMsnColours(std::int32_t k, std::int32_t f) override {
        Fail();
        kleur = k;
        font = f;
        panel1 = k;
        gegevensFont = f;
    }
    void SetPanel1Colour(std::int32_t k) override {
        Fail();
        panel1 = k;
    }
    void SetGegevensFontColour(std::int32_t k) override {
        Fail();
        gegevensFont = k;
    }
    void SetStayOnTop() override {
        Fail();
        stayOnTop = true;
    }
    void PopUp() override {
        Fail();
        ++popUps;
        visible = true;
    }
    void ShowWindow() override {
        Fail();
        visible = true;
    }
    void HideWindow() override {
        Fail();
        visible = false;
    }
    void StartPopupTimer(int ms) override {
        Fail();
        timer = ms;
    }
    void StopPopupTimer() override {
        Fail();
        timer.reset();
    }
    void AddMemoLine(const std::string& line) override {
        Fail();
        memo.push_back(line);
    }
    void ClearMemo() override {
        Fail();
        memo.clear();
    }
    void SetMemoEnabled(bool on) override {
        Fail();
        memoEnabled = on;
    }
    void SetHourglass(bool on) override {
        Fail();
        hourglass = on;
    }
    void SetTrayTip(const std::string& tip) override {
        Fail();
        trayTip = tip;
    }
    void SetRejectEnabled(bool on) override {
        Fail();
        rejectEnabled = on;
    }
    void SetMemoButtonEnabled(bool on) override {
        Fail();
        memoButton = on;
    }
    void SetCaption(const std::string& text) override {
        Fail();
        caption = text;
    }
    void SetStatusMemo(const std::vector<std::string>& lines) override {
        Fail();
        statusMemo = lines;
    }
    void ShowNotice(const std::string& text) override { notices.push_back(text); }

  private:
    void Fail() const {
        if (failing) {
            throw rtl::Exception("venster kapot");
        }
    }
};

}  // namespace monitor::testing
