// The Outlook search of one call over a large contacts folder, after the folder was read once.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "monitor/book/outlook_link.h"
#include "monitor/caller_record.h"
#include "monitor/settings.h"

namespace {

constexpr int kContacts = 10000;

// A folder of contacts, each with a home and a mobile number; the last one also holds a number
// in the callback property, the last that the search tries.
class ContactsFolder {
  public:
    ContactsFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "belverin-bench-XXXXXX").string();
        root_ = std::string(mkdtemp(pattern.data())) + "/";
        const std::string folder = root_ + "belverin/contacten/";
        std::filesystem::create_directories(folder);
        for (int i = 0; i < kContacts; ++i) {
            const std::string n = std::to_string(i);
            std::ofstream(folder + "c" + std::string(5 - n.size(), '0') + n + ".vcf")
                << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Naam" << n << ";Voor;;;\r\nFN:Voor Naam" << n
                << "\r\nTEL;TYPE=HOME:020" << n << "\r\nTEL;TYPE=CELL:06" << n << "\r\n"
                << (i == kContacts - 1 ? "TEL;X-BELVERIN-FIELD=callbacktelephonenumber:0800999\r\n"
                                       : "")
                << "END:VCARD\r\n";
        }
        setenv("XDG_DATA_HOME", root_.c_str(), 1);
        monitor::outlookaankoppelen();
    }
    ~ContactsFolder() {
        monitor::outlookafkoppelen();
        std::filesystem::remove_all(root_);
    }

  private:
    std::string root_;
};

ContactsFolder& Folder() {
    static ContactsFolder folder;
    return folder;
}

void Search(benchmark::State& state, const std::string& nummer, bool expected) {
    Folder();
    for (auto _ : state) {
        const bool found = monitor::vindnummer(nummer, false);
        if (found != expected) {
            state.SkipWithError("unexpected search result");
            break;
        }
        benchmark::DoNotOptimize(monitor::huidigebeller);
    }
}

void BM_VindnummerMiss(benchmark::State& state) {
    Search(state, "0123456789", false);
}
BENCHMARK(BM_VindnummerMiss)->Unit(benchmark::kMillisecond);

void BM_VindnummerHitOnTheLastProperty(benchmark::State& state) {
    Search(state, "0800999", true);
}
BENCHMARK(BM_VindnummerHitOnTheLastProperty)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
