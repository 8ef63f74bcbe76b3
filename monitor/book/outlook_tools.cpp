#include "monitor/book/outlook_tools.h"

#include <array>
#include <string_view>

#include "monitor/book/outlook_link.h"
#include "platform/outlook/automation_error.h"

namespace monitor {

namespace {

constexpr std::string_view kLogCategorie = "Belverin log";
constexpr std::size_t kStaartLimiet = 500;

// The dash removal's own order of the phone properties.
constexpr std::array<std::string_view, 19> kStreepjeVelden = {"hometelephonenumber",
                                                              "companymaintelephonenumber",
                                                              "primarytelephonenumber",
                                                              "home2telephonenumber",
                                                              "businesstelephonenumber",
                                                              "business2telephonenumber",
                                                              "homefaxnumber",
                                                              "businessfaxnumber",
                                                              "othertelephonenumber",
                                                              "mobiletelephonenumber",
                                                              "cartelephonenumber",
                                                              "isdnnumber",
                                                              "pagernumber",
                                                              "otherfaxnumber",
                                                              "radiotelephonenumber",
                                                              "callbacktelephonenumber",
                                                              "telexnumber",
                                                              "ttytddtelephonenumber",
                                                              "assistanttelephonenumber"};

outlook::ContactItems ContactenNu() {
    if (!outlookisgekoppeld()) {
        throw outlook::EAutomationError("Outlook is not linked");
    }
    return outlookkoppeling.contacten->Items();
}

// The text with `weg` taken out at `at`, keeping at most 500 characters after it.
std::string ZonderStuk(const std::string& tekst, std::size_t at, std::size_t weg) {
    return tekst.substr(0, at) + tekst.substr(at + weg, kStaartLimiet);
}

bool HeleRun(OutlookTool::Soort soort, const OutlookTool::Regel& regel) {
    try {
        OutlookTool tool(soort);
        while (!tool.Done()) {
            tool.Step(tool.Count(), regel);
        }
        return true;
    } catch (const outlook::EAutomationError&) {
        return false;
    }
}

}  // namespace

OutlookTool::OutlookTool(Soort soort) : soort_(soort), items_(ContactenNu()) {}

void OutlookTool::Step(int aantal, const Regel& regel) {
    for (int n = 0; n < aantal && !Done(); ++n) {
        auto item = items_.GetItem(position_ + 1);
        // A failing contact ends the run there; the next step would start after it.
        ++position_;
        if (soort_ == Soort::LogWissen) {
            LogWissen(*item, regel);
        } else {
            StreepjeWissen(*item, regel);
        }
    }
}

void OutlookTool::LogWissen(outlook::Item& item, const Regel& regel) {
    const std::string categorieen = item.GetText("categories");
    const std::size_t at = categorieen.find(kLogCategorie);
    if (at == std::string::npos) {
        return;
    }
    regel(item.GetText("fullname") + "  " + categorieen);
    item.SetText("categories", ZonderStuk(categorieen, at, kLogCategorie.size()));
    item.Save();
}

void OutlookTool::StreepjeWissen(outlook::Item& item, const Regel& regel) {
    regel(item.GetText("fullname"));
    for (std::string_view veld : kStreepjeVelden) {
        const std::string oud = item.GetText(veld);
        const std::size_t at = oud.find('-');
        if (at == std::string::npos) {
            continue;
        }
        const std::string nieuw = ZonderStuk(oud, at, 1);
        item.SetText(veld, nieuw);
        item.Save();
        regel("  " + oud + " > " + nieuw);
    }
    item.Save();
    item.Close(0);
}

bool outlooklogwissen(const OutlookTool::Regel& regel) {
    return HeleRun(OutlookTool::Soort::LogWissen, regel);
}

bool streepjewissen(const OutlookTool::Regel& regel) {
    return HeleRun(OutlookTool::Soort::StreepjeWissen, regel);
}

}  // namespace monitor
