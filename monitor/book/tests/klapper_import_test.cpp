// The import into the phone book over the engine library, in a scratch program folder.

#include "monitor/book/klapper_import.h"

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "monitor/book/csv_line.h"
#include "monitor/book/csv_reader.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "platform/db/field.h"
#include "platform/rtl/whole_file.h"
#include "xbase/table.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

class RecordingImportPort : public ImportPort {
  public:
    void Message(const std::string& text) override { shown.push_back("message: " + text); }
    void ErrorBox(const std::string& text) override { shown.push_back("error: " + text); }
    void Progress(int line) override { progress.push_back(line); }
    void Busy(bool on) override { busy += on ? 1 : -1; }

    std::vector<std::string> shown;
    std::vector<int> progress;
    int busy = 0;
};

int Target(const std::string& field) {
    for (int t = 0; t < kImportTargets; ++t) {
        if (kImportTarget[static_cast<std::size_t>(t)].field == field) {
            return t;
        }
    }
    ADD_FAILURE() << field;
    return 0;
}

std::vector<std::string> Rewritten(const std::string& csv) {
    const CsvFile file = ReadCsv(csv, ',');
    EXPECT_EQ(file.error, "");
    std::vector<std::string> lines;
    for (const std::string& record : file.records) {
        lines.push_back(CsvLine::Rewrite(record, ','));
    }
    return lines;
}

class KlapperImportTest : public KlapperTest {
  protected:
    ImportOutcome Import(const std::string& csv, const std::map<std::string, int>& columns) {
        ImportMapping mapping;
        for (const auto& [field, column] : columns) {
            mapping.Set(Target(field), column);
        }
        KlapperImport run(*core, importPort);
        return run.Run(Rewritten(csv), ',', mapping);
    }

    // Every record in natural order, each as field -> trimmed value.
    std::vector<std::map<std::string, std::string>> Records() {
        xbase::TTable& t = core->t2();
        const int order = core->a2().SetOrder(0);
        std::vector<std::map<std::string, std::string>> records;
        for (t.First(); !t.Eof(); t.Next()) {
            std::map<std::string, std::string> record;
            for (int i = 0; i < t.FieldCount(); ++i) {
                std::string value = t.Fields()[i].AsString();
                value.erase(value.find_last_not_of(' ') + 1);
                record[t.Fields()[i].FieldName()] = value;
            }
            records.push_back(record);
        }
        core->a2().SetOrder(order);
        return records;
    }

    RecordingImportPort importPort;
};

TEST_F(KlapperImportTest, OnlyTheMappedColumnIsImportedBesideTheInsertDefaults) {
    Start();
    const ImportOutcome outcome = Import("titel,extra\nJansen,vriend\n", {{"extra", 2}});
    EXPECT_EQ(outcome.stored, 2);
    EXPECT_EQ(importPort.shown, std::vector<std::string>{"message: Importeren is goed verlopen"});
    const auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    // The header line is a record like the others.
    EXPECT_EQ(records[0].at("EXTRA"), "extra");
    EXPECT_EQ(records[1].at("EXTRA"), "vriend");
    for (const auto& r : records) {
        EXPECT_EQ(r.at("NUMMER"), "?");
        EXPECT_EQ(r.at("NAAM"), "?");
        EXPECT_EQ(r.at("OMSCHR"), "?");
        EXPECT_EQ(r.at("AFWIJZEN"), "0000000000");
        EXPECT_EQ(r.at("TIJD"), "1111111111");
        EXPECT_EQ(r.at("GELUID"), "");
        EXPECT_EQ(r.at("CMDLINE"), "");
        EXPECT_EQ(r.at("VOORNAAM"), "");
    }
    EXPECT_EQ(core->CountLabel(), "Aantal records: 2");
    EXPECT_EQ(importPort.busy, 0);
    EXPECT_FALSE(core->t2().ControlsDisabled());
}

TEST_F(KlapperImportTest, StoresEachColumnWhereItIsMappedAndIndexesAfterwards) {
    ini->WriteInteger("klapper", "sorterenop", 2);
    AddEntries({{"0301111111", "Bestaand"}});
    Start();
    const int changesBefore = port.changes;
    std::string csv;
    for (int n = 0; n < 40; ++n) {
        csv += "030-555-" + std::to_string(1000 + n) + ",Naam " + std::to_string(n) +
               ",1010101010,\"Caf\xC3\xA9 \"\"De Hoek\"\"\",\"eerste regel\r\ntweede regel\"\n";
    }
    csv += "020-123-4567,Visser,0000000001,Omschrijving,\n";
    const ImportOutcome outcome = Import(
        csv,
        {{"nummer", 1}, {"naam", 2}, {"omschr", 2}, {"afwijzen", 3}, {"straat", 4}, {"memo", 5}});
    EXPECT_EQ(outcome.stored, 41);
    EXPECT_EQ(outcome.failedLine, 0);
    // The count label is set once at the end, not per record.
    EXPECT_LT(port.changes - changesBefore, 5);
    EXPECT_EQ(core->CountLabel(), "Aantal records: 42");

    const auto records = Records();
    ASSERT_EQ(records.size(), 42u);
    const auto& first = records[1];
    EXPECT_EQ(first.at("NUMMER"), "0305551000");
    EXPECT_EQ(first.at("NAAM"), "Naam 0");
    EXPECT_EQ(first.at("OMSCHR"), "?");
    EXPECT_EQ(first.at("AFWIJZEN"), "1010101010");
    EXPECT_EQ(first.at("STRAAT"), "Caf\xC3\xA9 \"De Hoek\"");
    EXPECT_EQ(first.at("MEMO"), "eerste regel\r\ntweede regel");
    EXPECT_EQ(records[41].at("NUMMER"), "0201234567");
    EXPECT_EQ(records[41].at("MEMO"), "");

    // The stored sort order is back, and every index holds the new records.
    EXPECT_EQ(core->CheckedSort(), 2);
    EXPECT_EQ(core->a2().IndexOrd(), core->OrderNumber(2));
    EXPECT_EQ(Column("NAAM").front(), "Bestaand");
    EXPECT_TRUE(core->FindNumber("0201234567", core->NumberOrder()));
    EXPECT_EQ(core->t2().FieldByName("NAAM").AsString(), "Visser");
    EXPECT_EQ(importPort.progress.back(), 40);
}

// Empty fields, bare or quoted, in the middle or at the end of the line, leave the memo empty:
// no memo of one blank.
TEST_F(KlapperImportTest, AnEmptyColumnIsStoredEmpty) {
    Start();
    const ImportOutcome outcome =
        Import("0201,Jansen,\n0202,Visser,\"\"\n0203,,tekst\n0204,\"\",\n0205,Smit,\" \"\n",
               {{"nummer", 1}, {"voornaam", 2}, {"memo", 3}});
    EXPECT_EQ(outcome.stored, 5);
    std::vector<std::string> memos;
    std::vector<std::string> voornamen;
    xbase::TTable& t = core->t2();
    core->a2().SetOrder(0);
    for (t.First(); !t.Eof(); t.Next()) {
        memos.push_back(t.FieldByName("MEMO").AsString());
        std::string voornaam = t.FieldByName("VOORNAAM").AsString();
        voornaam.erase(voornaam.find_last_not_of(' ') + 1);
        voornamen.push_back(voornaam);
    }
    EXPECT_EQ(memos, (std::vector<std::string>{"", "", "tekst", "", ""}));
    EXPECT_EQ(voornamen, (std::vector<std::string>{"Jansen", "Visser", "", "", "Smit"}));
}

TEST_F(KlapperImportTest, NothingMappedLeavesTheFilesAsTheyWere) {
    AddEntries({{"0201234567", "Jansen"}});
    Start();
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::directory_iterator(folder)) {
        before[entry.path().filename()] = *rtl::ReadWholeFile(entry.path());
    }
    const ImportOutcome outcome = Import("a,b\nc,d\n", {});
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(importPort.shown, std::vector<std::string>{"message: Er valt niets te importeren"});
    std::map<std::string, std::string> after;
    for (const auto& entry : fs::directory_iterator(folder)) {
        after[entry.path().filename()] = *rtl::ReadWholeFile(entry.path());
    }
    EXPECT_EQ(after, before);
}

// Lets the files of the process grow to `bytes` only, for the scope's lifetime.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit old_{};
    sighandler_t previous_ = nullptr;
};

TEST_F(KlapperImportTest, AFailedStoreKeepsWhatWasStoredSaysSoAndLeavesNoStaleIndex) {
    Start();
    const auto recordSize = static_cast<rlim_t>(core->a2().RecSize());
    const auto emptySize = static_cast<rlim_t>(fs::file_size(TablePath()));
    std::string csv;
    for (int n = 0; n < 1000; ++n) {
        csv += "06" + std::to_string(10000000 + n) + ",Naam " + std::to_string(n) + ",Plaats\n";
    }
    const std::vector<std::string> lines = Rewritten(csv);
    ImportMapping mapping;
    mapping.Set(Target("nummer"), 1);
    mapping.Set(Target("naam"), 2);
    mapping.Set(Target("plaats"), 3);
    ImportOutcome outcome;
    {
        FileSizeLimit limit(emptySize + 499 * recordSize);
        KlapperImport run(*core, importPort);
        outcome = run.Run(lines, ',', mapping);
    }
    EXPECT_EQ(outcome.stored, 499);
    EXPECT_EQ(outcome.failedLine, 500);
    ASSERT_EQ(importPort.shown.size(), 1u);
    const std::string& box = importPort.shown[0];
    EXPECT_EQ(box.rfind("error: fout: toevoegen aan klapper\nregel 500: ", 0), 0u) << box;
    EXPECT_NE(box.find("\n499 records zijn toegevoegd."), std::string::npos) << box;
    EXPECT_EQ(importPort.busy, 0);
    EXPECT_FALSE(core->t2().ControlsDisabled());

    EXPECT_EQ(RecordsOnDisk(), 499);
    EXPECT_EQ(core->CountLabel(), "Aantal records: 499");
    // Each of the thirteen indexes walks the same 499 records in its key's order.
    xbase::TTable& t = core->t2();
    for (int n = 0; n < kKlapperIndexes; ++n) {
        ASSERT_NE(core->OrderNumber(n), 0) << n;
        core->a2().SetOrder(core->OrderNumber(n));
        std::vector<std::string> keys;
        const std::string field = kKlapperIndex[static_cast<std::size_t>(n)].key;
        for (t.First(); !t.Eof(); t.Next()) {
            keys.push_back(t.FieldByName(field).AsString());
        }
        EXPECT_EQ(keys.size(), 499u) << field;
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end())) << field;
    }
    EXPECT_TRUE(core->FindNumber("0610000498", core->NumberOrder()));
    EXPECT_FALSE(core->FindNumber("0610000499", core->NumberOrder()));
}

}  // namespace
}  // namespace book::testing
