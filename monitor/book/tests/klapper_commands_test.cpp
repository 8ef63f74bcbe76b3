// The phone-book window's commands without their window, over the engine library: dialling
// the current number, deleting marked rows and the text exports.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/book/csv_line.h"
#include "monitor/book/csv_reader.h"
#include "monitor/book/dial_number.h"
#include "monitor/book/klapper_import.h"
#include "monitor/book/marked_rows.h"
#include "monitor/book/table_export.h"
#include "monitor/book/tests/klapper_fixture.h"
#include "monitor/settings.h"
#include "platform/db/bookmark_list.h"
#include "platform/db/data_link.h"
#include "platform/db/field.h"
#include "platform/os/recording_dialer.h"
#include "platform/rtl/text_encoding.h"
#include "platform/rtl/whole_file.h"
#include "xbase/table.h"
#include "xbase/tests/logged_engine.h"
#include "xbase/xbase_component.h"

namespace book::testing {
namespace {

namespace fs = std::filesystem;

// ---- Dialling ----

}  // namespace
}  // namespace book::testing

namespace os {
void PrintTo(const RecordingDialer::Call& c, std::ostream* out) {
    *out << "{\"" << c.destination << "\", \"" << c.applicationName << "\", \"" << c.calledParty
         << "\", \"" << c.comment << "\"}";
}
}  // namespace os

namespace book::testing {
namespace {

using KlapperDialTest = KlapperTest;

TEST_F(KlapperDialTest, TheDestinationIsThePrefixImmediatelyFollowedByTheStoredNumber) {
    AddEntries({{"0201234567", "Jansen"}, {"--", "Anoniem"}, {"", "Zonder nummer"}});
    KlapperCore& k = Start();
    k.a2().SetOrder(0);
    xbase::TTable& t = k.t2();
    for (const char* prefix : {"", "0", "0,"}) {
        SCOPED_TRACE(prefix);
        os::RecordingDialer dialer;
        std::vector<DialOutcome> outcomes;
        for (t.First(); !t.Eof(); t.Next()) {
            outcomes.push_back(DialCurrent(t, prefix, dialer));
        }
        const std::string p = prefix;
        const std::vector<os::RecordingDialer::Call> expected = {
            {p + "0201234567", "", "Jansen", ""},
            {p + "--", "", "Anoniem", ""},
        };
        EXPECT_EQ(dialer.calls, expected);
        EXPECT_EQ(outcomes, (std::vector<DialOutcome>{DialOutcome::Placed, DialOutcome::Placed,
                                                      DialOutcome::NothingToDial}));
    }
}

TEST_F(KlapperDialTest, ARefusalIsReportedAndAClosedBookDialsNothing) {
    AddEntries({{"0201234567", "Jansen"}});
    KlapperCore& k = Start();
    os::RecordingDialer dialer;
    dialer.answer = 1;
    EXPECT_EQ(DialCurrent(k.t2(), "0", dialer), DialOutcome::Refused);
    EXPECT_EQ(dialer.calls.size(), 1u);
    k.t2().Close();
    EXPECT_EQ(DialCurrent(k.t2(), "0", dialer), DialOutcome::NothingToDial);
    EXPECT_EQ(dialer.calls.size(), 1u);
}

// ---- Deleting marked rows ----

class MarkedRowsTest : public KlapperTest {
  protected:
    void TearDown() override {
        marks.reset();
        link.reset();
        KlapperTest::TearDown();
    }

    // Ten entries, the grid's link on the phone book and the rows at `rows` marked.
    void MarkRows(const std::vector<int>& rows) {
        std::vector<Entry> entries;
        for (int i = 0; i < 10; ++i) {
            entries.push_back({"0" + std::to_string(i), "Naam " + std::to_string(i)});
        }
        AddEntries(entries);
        KlapperCore& k = Start();
        link = std::make_unique<db::TDataLink>();
        link->SetDataSource(&k.DataSource2());
        marks = std::make_unique<db::TBookmarkList>(*link);
        for (int row : rows) {
            k.t2().First();
            k.t2().MoveBy(row);
            marks->SetCurrentRowSelected(true);
        }
    }

    std::unique_ptr<db::TDataLink> link;
    std::unique_ptr<db::TBookmarkList> marks;
};

TEST_F(MarkedRowsTest, YesDeletesTheMarkedRowsAndCancelNone) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        MarkRows({1, 4, 8});
        std::vector<std::string> asked;
        const int deleted = WisGeselecteerdeRegels(*marks, core->t2(), [&](const std::string& q) {
            asked.push_back(q);
            return yes;
        });
        EXPECT_EQ(asked, std::vector<std::string>{"Geselecteerde regels wissen ?"});
        if (yes) {
            EXPECT_EQ(deleted, 3);
            EXPECT_EQ(Column("nummer"),
                      (std::vector<std::string>{"00", "02", "03", "05", "06", "07", "09"}));
            EXPECT_EQ(core->CountLabel(), "Aantal records: 7");
            EXPECT_EQ(marks->Count(), 0);
        } else {
            EXPECT_EQ(deleted, 0);
            EXPECT_EQ(Column("nummer").size(), 10u);
            EXPECT_EQ(marks->Count(), 3);
        }
        marks.reset();
        link.reset();
        Stop();
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/belverintel.DBF", TablePath(),
                      fs::copy_options::overwrite_existing);
    }
}

TEST_F(MarkedRowsTest, NothingMarkedDeletesNothing) {
    MarkRows({});
    const int changes = port.changes;
    EXPECT_EQ(DeleteMarkedRows(*marks, core->t2()), 0);
    EXPECT_EQ(Column("nummer").size(), 10u);
    EXPECT_EQ(port.changes, changes);
}

TEST_F(MarkedRowsTest, TheAfterDeleteStepRunsOnceAfterTheLastDeletion) {
    for (const bool atOnce : {false, true}) {
        SCOPED_TRACE(atOnce);
        monitor::instellingen.meteenopslaan = atOnce;
        MarkRows({0, 2, 3, 5, 9});
        std::string error;
        auto logged = xbase::testing::LoggedEngine::Open(&error);
        ASSERT_NE(logged, nullptr) << error;
        const int changes = port.changes;
        EXPECT_EQ(DeleteMarkedRows(*marks, core->t2()), 5);
        EXPECT_EQ(logged->CountOf("sx_Commit"), atOnce ? 1 : 0);
        EXPECT_EQ(port.changes, changes + 1);
        EXPECT_EQ(core->CountLabel(), "Aantal records: 5");
        // The handler is the table's again: a single delete runs it as before.
        core->t2().First();
        core->t2().Delete();
        EXPECT_EQ(core->CountLabel(), "Aantal records: 4");
        marks.reset();
        link.reset();
        Stop();
        // Letting go of the logged engine closes every work area.
        logged.reset();
        xbase::BindEngine(&library->Api());
        fs::copy_file(std::string(BELVERIN_PROGRAM_DIR) + "/belverintel.DBF", TablePath(),
                      fs::copy_options::overwrite_existing);
    }
}

// ---- The text exports ----

class RecordingExportPort : public ExportPort {
  public:
    bool ChooseFile(const ExportDialog& dialog, std::string& fileName) override {
        dialogs.push_back(dialog.filter + " / " + dialog.defaultExt);
        if (!answer) {
            return false;
        }
        fileName = *answer;
        return true;
    }
    void Busy(bool on) override { busy.push_back(on); }
    void Failed(const std::string& text) override { failures.push_back(text); }

    std::optional<std::string> answer;
    std::vector<std::string> dialogs;
    std::vector<bool> busy;
    std::vector<std::string> failures;
};

// Field widths in the table's order, the memo left out as the export leaves it out.
const std::vector<std::pair<const char*, int>> kExportedFields = {
    {"NUMMER", 20},   {"VOORNAAM", 20},  {"NAAM", 150},  {"AANHANGSEL", 15},
    {"STRAAT", 50},   {"POSTCODE", 7},   {"PLAATS", 50}, {"EXTRA", 50},
    {"AFWIJZEN", 10}, {"GELUID", 20},    {"TIJD", 10},   {"CMDLINE", 100},
    {"KLEUR", 20},    {"FONTKLEUR", 20}, {"OMSCHR", 50}, {"ZOEKSTATUS", 50},
};

// An entry's line as either export kind writes it; the fixture fills NUMMER, NAAM, PLAATS.
std::string Line(const Entry& e, int kind) {
    std::string line;
    for (const auto& [field, width] : kExportedFields) {
        const std::string name = field;
        const std::string value = name == "NUMMER"   ? e.nummer
                                  : name == "NAAM"   ? e.naam
                                  : name == "PLAATS" ? e.plaats
                                                     : "";
        if (!line.empty() || name != "NUMMER") {
            line += kind == kExportCommaSeparated ? "," : " ";
        }
        if (kind == kExportCommaSeparated) {
            std::string quoted = "\"";
            for (char c : value) {
                quoted += c;
                if (c == '"') {
                    quoted += '"';
                }
            }
            line += quoted + "\"";
        } else {
            std::string bytes = rtl::Utf8ToCp1252(value);
            bytes.resize(static_cast<std::size_t>(width), ' ');
            line += rtl::Cp1252ToUtf8(bytes);
        }
    }
    return line + "\r\n";
}

const Entry kZoe = {"0301", "Zoë \"de Wit\", B.V.", "Utrecht"};
const Entry kAa = {"0302", "Aa, Jansen", "Utrecht"};
const Entry kBuiten = {"0303", "Buiten", "Gouda"};
const Entry kMm = {"0304", "Mm 'Kees'", "Utrecht"};

class TableExportTest : public KlapperTest {
  protected:
    // The four entries, one with a memo, filtered on Utrecht and sorted by name.
    KlapperCore& StartFilteredAndSorted() {
        AddEntries({kZoe, kAa, kBuiten, kMm});
        KlapperCore& k = Start();
        xbase::TTable& t = k.t2();
        t.First();
        t.Edit();
        t.FieldByName("memo").SetAsString("Een memo, met \"aanhalingstekens\"\r\nover twee regels");
        t.Post();
        k.Sorteren(2);  // naam
        t.First();
        k.FilterOp(4);  // plaats = 'Utrecht'
        return k;
    }

    std::string Read(const std::string& path) {
        return rtl::ReadWholeFile(path).value_or("<missing>");
    }

    // The names in the folder, so that nothing is left behind.
    std::vector<std::string> FolderFiles() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(TableExportTest, BothKindsHoldTheVisibleRecordsInTheirOrder) {
    KlapperCore& k = StartFilteredAndSorted();
    for (const int kind : {kExportCommaSeparated, kExportBlankSeparated}) {
        SCOPED_TRACE(kind);
        const std::string target = folder + "uit " + std::to_string(kind) + ".txt";
        ASSERT_TRUE(WriteTableText(k.a2(), target, kind));
        EXPECT_EQ(Read(target), Line(kAa, kind) + Line(kMm, kind) + Line(kZoe, kind));
    }
}

TEST_F(TableExportTest, APendingEditIsInTheFile) {
    KlapperCore& k = StartFilteredAndSorted();
    xbase::TTable& t = k.t2();
    t.First();
    t.Edit();
    t.FieldByName("naam").SetAsString("Ab");
    const std::string target = folder + "uit.csv";
    ASSERT_TRUE(WriteTableText(k.a2(), target, kExportCommaSeparated));
    Entry edited = kAa;
    edited.naam = "Ab";
    EXPECT_EQ(Read(target), Line(edited, kExportCommaSeparated) + Line(kMm, kExportCommaSeparated) +
                                Line(kZoe, kExportCommaSeparated));
    EXPECT_EQ(t.State(), db::dsBrowse);
}

TEST_F(TableExportTest, AFileThatCannotBeWrittenStaysAsItWasAndIsReported) {
    KlapperCore& k = StartFilteredAndSorted();
    const std::string old = "oude inhoud\r\n\xC3\xAB\r\n";
    struct Case {
        const char* name;
        std::string target;
        bool readOnly;
    };
    const std::vector<Case> cases = {
        {"read-only file", folder + "alleen lezen.csv", true},
        {"no such folder", folder + "weg/uit.csv", false},
        {"a folder", folder + "map", false},
    };
    fs::create_directory(folder + "map");
    const std::vector<std::string> before = [&] {
        rtl::WriteWholeFileAtomically(cases[0].target, old);
        ::chmod(cases[0].target.c_str(), 0444);
        return FolderFiles();
    }();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingExportPort port;
        port.answer = c.target;
        EXPECT_FALSE(ExportTable(k.a2(), kExportCommaSeparated, {}, port));
        EXPECT_EQ(port.failures, std::vector<std::string>{"Fout bij exporteren: " + c.target});
        EXPECT_EQ(port.busy, (std::vector<bool>{true, false}));
    }
    EXPECT_EQ(Read(cases[0].target), old);
    EXPECT_EQ(FolderFiles(), before);
}

TEST_F(TableExportTest, ReplacingAFileKeepsItsPermissionsAndLeavesNoTemporaryFile) {
    KlapperCore& k = StartFilteredAndSorted();
    const std::string target = folder + "bestaand.csv";
    rtl::WriteWholeFileAtomically(target, "oud");
    ::chmod(target.c_str(), 0640);
    const std::vector<std::string> before = FolderFiles();
    RecordingExportPort port;
    port.answer = target;
    EXPECT_TRUE(ExportTable(k.a2(), kExportBlankSeparated, {"Alles  (*.*)|*.*", "txt"}, port));
    EXPECT_EQ(port.dialogs, std::vector<std::string>{"Alles  (*.*)|*.* / txt"});
    EXPECT_TRUE(port.failures.empty());
    EXPECT_EQ(Read(target), Line(kAa, kExportBlankSeparated) + Line(kMm, kExportBlankSeparated) +
                                Line(kZoe, kExportBlankSeparated));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderFiles(), before);
}

TEST_F(TableExportTest, CancelWritesNothing) {
    KlapperCore& k = StartFilteredAndSorted();
    const std::vector<std::string> before = FolderFiles();
    RecordingExportPort port;
    EXPECT_FALSE(ExportTable(k.a2(), kExportCommaSeparated, {"x|*.x", "x"}, port));
    EXPECT_EQ(port.dialogs.size(), 1u);
    EXPECT_TRUE(port.busy.empty());
    EXPECT_TRUE(port.failures.empty());
    EXPECT_EQ(FolderFiles(), before);
}

// ---- Exported, then imported again ----

class SilentImportPort : public ImportPort {
  public:
    void Message(const std::string& text) override { shown.push_back(text); }
    void ErrorBox(const std::string& text) override { shown.push_back("error: " + text); }
    void Progress(int) override {}
    void Busy(bool) override {}
    std::vector<std::string> shown;
};

// Every record in natural order, each field but the memo as trimmed text.
std::vector<std::map<std::string, std::string>> Records(KlapperCore& k) {
    xbase::TTable& t = k.t2();
    k.a2().SetOrder(0);
    std::vector<std::map<std::string, std::string>> records;
    for (t.First(); !t.Eof(); t.Next()) {
        std::map<std::string, std::string> record;
        for (const auto& [field, width] : kExportedFields) {
            std::string value = t.FieldByName(field).AsString();
            value.erase(value.find_last_not_of(' ') + 1);
            record[field] = value;
        }
        records.push_back(record);
    }
    return records;
}

TEST_F(TableExportTest, AnExportedBookImportsAsTheSameEntries) {
    AddEntries({{"0201234567", "Jansen, \"Jan\"", "Zoë-stad"},
                {"0101010101", "O'Brien", "Ede"},
                {"--", "", ""}});
    KlapperCore& k = Start();
    xbase::TTable& t = k.t2();
    t.First();
    t.Edit();
    t.FieldByName("straat").SetAsString("Dorpsstraat 1, achterom");
    t.FieldByName("afwijzen").SetAsString("0100000000");
    t.FieldByName("cmdline").SetAsString("\"speler\" %t");
    t.FieldByName("kleur").SetAsString("donker grijs");
    t.FieldByName("zoekstatus").SetAsString("Gevonden");
    t.Post();
    const auto exported = Records(k);
    const std::string file = folder + "klapper.csv";
    ASSERT_TRUE(WriteTableText(k.a2(), file, kExportCommaSeparated));

    monitor::instellingen = monitor::Instellingen{};
    port.answers.push_back(true);
    k.Wisregel1Click();
    ASSERT_EQ(Column("nummer").size(), 0u);

    const CsvFile csv = ReadCsv(Read(file), ',');
    ASSERT_EQ(csv.error, "");
    std::vector<std::string> lines;
    for (const std::string& record : csv.records) {
        lines.push_back(CsvLine::Rewrite(record, ','));
    }
    // Each column onto the field it came from.
    ImportMapping mapping;
    for (int column = 1; column <= static_cast<int>(kExportedFields.size()); ++column) {
        std::string field = kExportedFields[static_cast<std::size_t>(column - 1)].first;
        for (char& c : field) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        for (int target = 0; target < kImportTargets; ++target) {
            if (field == kImportTarget[static_cast<std::size_t>(target)].field) {
                mapping.Set(target, column);
            }
        }
    }
    SilentImportPort importPort;
    const ImportOutcome outcome = KlapperImport(k, importPort).Run(lines, ',', mapping);
    EXPECT_EQ(outcome.stored, 3);
    EXPECT_EQ(outcome.failedLine, 0);

    auto expected = exported;
    // The import drops the dashes of a number.
    expected[2]["NUMMER"] = "";
    EXPECT_EQ(Records(k), expected);
}

}  // namespace
}  // namespace book::testing
