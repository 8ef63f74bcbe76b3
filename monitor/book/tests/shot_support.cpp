#include "monitor/book/tests/shot_support.h"

#include <stdlib.h>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <filesystem>
#include <iostream>

#include "platform/rtl/text_encoding.h"
#include "xbase/engine_library.h"
#include "xbase/sessions.h"

namespace book::shot {

namespace fs = std::filesystem;

ShotFolder::ShotFolder(const std::string& name) {
    std::string pattern = "/tmp/" + name + "-XXXXXX";
    folder_ = std::string(mkdtemp(pattern.data())) + "/";
    for (const char* file : {"belverintel.DBF", "belverintel.FPT"}) {
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/" + file, folder_ + file);
    }
#ifdef REAL_ENGINE_PATH
    engine_ = xbase::EngineLibrary::Open(REAL_ENGINE_PATH, &error_);
#else
    error_ = "the build has no engine library";
#endif
    if (engine_) {
        xbase::BindEngine(&engine_->Api());
    }
}

std::unique_ptr<ShotFolder> ShotFolder::Open(const std::string& name) {
    auto scratch = std::make_unique<ShotFolder>(name);
    if (!scratch->Ready()) {
        std::cerr << scratch->Error() << "\n";
        return nullptr;
    }
    return scratch;
}

ShotFolder::~ShotFolder() {
    if (session_) {
        xbase::Session().Close();
    }
    if (engine_) {
        xbase::BindEngine(nullptr);
    }
    engine_.reset();
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

const xbase::EngineApi& ShotFolder::Api() const {
    return engine_->Api();
}

void ShotFolder::OpenSession() {
    xbase::Session().Open();
    session_ = true;
}

void WriteEntries(const xbase::EngineApi& e, const std::string& path,
                  const std::vector<EntryFields>& entries) {
    e.sx_Use(path.c_str(), nullptr, SX_EXCLUSIVE, SX_FOX);
    for (const EntryFields& entry : entries) {
        e.sx_AppendEx();
        for (const auto& [field, value] : entry) {
            e.sx_Replace(field, SX_R_CHAR, rtl::Utf8ToCp1252(value).c_str());
        }
    }
    e.sx_Commit();
    e.sx_Close();
}

std::vector<EntryFields> SampleEntries() {
    struct Entry {
        const char* nummer;
        const char* voornaam;
        const char* naam;
        const char* straat;
        const char* postcode;
        const char* plaats;
        const char* omschr;
    };
    static constexpr Entry kEntries[] = {
        {"0201234567", "Jan", "Jansen", "Damrak 12", "1012LG", "Amsterdam", "Oom"},
        {"0307654321", "Els", "de Vries", "Oudegracht 8", "3511AR", "Utrecht", "Tandarts"},
        {"0104445566", "Piet", "Bakker", "Coolsingel 40", "3011AD", "Rotterdam", "Bakkerij"},
        {"0736123456", "Anouk", "van den Berg", "Markt 3", "5211JV", "'s-Hertogenbosch", "Collega"},
        {"0612345678", "Sanne", "Visser", "Breestraat 77", "2311CJ", "Leiden", "Mobiel"},
        {"0505252525", "Kees", "Smit", "Grote Markt 1", "9711LV", "Groningen", "Garage"},
        {"0402223344", "Fleur", "Müller", "Stratumseind 5", "5611ET", "Eindhoven", "Buurvrouw"},
        {"--", "", "Geen nummer", "", "", "", "Anoniem"},
    };
    std::vector<EntryFields> entries;
    for (const Entry& entry : kEntries) {
        entries.push_back({{"NUMMER", entry.nummer},
                           {"VOORNAAM", entry.voornaam},
                           {"NAAM", entry.naam},
                           {"STRAAT", entry.straat},
                           {"POSTCODE", entry.postcode},
                           {"PLAATS", entry.plaats},
                           {"OMSCHR", entry.omschr},
                           {"AFWIJZEN", "0000000000"},
                           {"TIJD", "1111111111"},
                           {"GELUID", "Geen"},
                           {"CMDLINE", "-"},
                           {"ZOEKSTATUS", "In de Klapper gevonden"}});
    }
    return entries;
}

bool SaveScreen(const std::string& file) {
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    return shot.save(QString::fromStdString(file));
}

}  // namespace book::shot
