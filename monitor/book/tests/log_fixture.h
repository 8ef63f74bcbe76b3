#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "monitor/book/telefoon_log.h"
#include "monitor/book/tests/log_table.h"
#include "monitor/settings.h"
#include "platform/rtl/ini_file.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/sessions.h"
#include "xbase/tests/component_fixture.h"
#include "xbase/work_area.h"

namespace book::testing {

// Calls over several dates, every field of an index unique among the live ones; two deleted,
// one with a memo.
inline std::vector<LogRow> Calls() {
    return {
        {"2024-03-02", "10:00:00", "0201111111", "Jansen", "Kerkstraat 1", "1011AA", "Amsterdam",
         "Thuis", "Telefonie (16)", false, ""},
        {"2024-03-05", "11:15:00", "0102222222", "Bakker", "Dorpsweg 7", "3011BB", "Rotterdam",
         "Werk", "ISDN (1)", false, ""},
        {"2024-02-28", "09:30:00", "0303333333", "Visser", "Laan 3", "3511CC", "Utrecht", "Fax",
         "Fax G3 (17)", true, ""},
        {"2024-03-04", "18:45:00", "0404444444", "Aalders", "Markt 12", "5611DD", "Eindhoven",
         "Modem", "Audio 3.1 (4)", false, "teruggebeld"},
        {"2024-03-01", "08:05:00", "0505555555", "De Vries", "Brink 2", "9711EE", "Groningen",
         "Zolder", "Spraak (1)", true, ""},
        {"2024-03-03", "20:20:00", "0706666666", "Mulder", "Plein 9", "2511FF", "Den Haag",
         "Kantoor", "Video (24)", false, ""},
    };
}

inline std::vector<LogRow> Live(const std::vector<LogRow>& rows) {
    std::vector<LogRow> live;
    std::copy_if(rows.begin(), rows.end(), std::back_inserter(live),
                 [](const LogRow& r) { return !r.deleted; });
    return live;
}

inline std::string FieldOf(const LogRow& row, const std::string& key) {
    if (key == "datum")
        return row.datum;
    if (key == "nummer")
        return row.nummer;
    if (key == "naam")
        return row.naam;
    if (key == "straat")
        return row.straat;
    if (key == "postcode")
        return row.postcode;
    if (key == "plaats")
        return row.plaats;
    if (key == "msn")
        return row.msn;
    return row.soort;
}

// The live values of index key `key`, in its order.
inline std::vector<std::string> Sorted(const std::vector<LogRow>& rows, const std::string& key,
                                       bool descending) {
    std::vector<std::string> values;
    for (const LogRow& r : Live(rows)) {
        values.push_back(FieldOf(r, key));
    }
    std::sort(values.begin(), values.end());
    if (descending) {
        std::reverse(values.begin(), values.end());
    }
    return values;
}

inline std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A program folder with a call log and a settings file, over the engine library.
class LogFolderTest : public xbase::testing::ComponentTest {
  protected:
    void SetUp() override {
        ComponentTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        xbase::ResetLayerState();
        xbase::ClearAllWorkAreas();
        xbase::SetMessageSink([this](const xbase::LayerMessage& m) { layer.push_back(m.text); });
        xbase::Session().Open();
        monitor::instellingen = monitor::Instellingen{};
        ini = std::make_unique<rtl::TIniFile>(folder + "belvo.ini");
    }
    void TearDown() override {
        if (!IsSkipped()) {
            EndWindow();
            xbase::Session().Close();
            Real().sx_SetDeleted(0);
            xbase::SetMessageSink({});
            xbase::ResetLayerState();
        }
        ComponentTest::TearDown();
    }
    // Ends what holds the table, before the session closes.
    virtual void EndWindow() = 0;

    std::string LogPath() const { return folder + kLogTableName; }

    void MakeLog(const std::vector<LogRow>& rows) {
        for (const char* ext : {".DBF", ".FPT"}) {
            std::filesystem::remove(folder + "belverinlog" + ext);
        }
        MakeLogTable(Real(), LogPath(), rows);
    }

    std::vector<std::string> layer;
    std::unique_ptr<rtl::TIniFile> ini;
};

}  // namespace book::testing
