#include "monitor/book/outlook_link.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "monitor/book/outlook_tools.h"
#include "monitor/caller_record.h"
#include "monitor/settings.h"
#include "platform/outlook/automation_error.h"
#include "platform/outlook/stored_file.h"
#include "platform/rtl/tests/temp_dir.h"

namespace monitor {
namespace {

using rtl::testing::TempDir;

class RecordingOpener : public outlook::DocumentOpener {
  public:
    bool Open(const std::string& path) override {
        opened.push_back(path);
        return answer;
    }
    std::vector<std::string> opened;
    bool answer = true;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class OutlookLink : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("XDG_DATA_HOME", dir_.Path().c_str(), 1);
        instellingen = Instellingen{};
        instellingen.bellersstring = "%h - %t";
        huidigebeller = telefoonrecordtype{};
        huidigebeller.tijd = "12:00:00";
        outlook::SetDocumentOpener(&opener_);
        SetOutlookFoutmelding([this](const std::string& t) { meldingen_.push_back(t); });
        outlookaankoppelen();
        ASSERT_TRUE(outlookisgekoppeld());
    }
    void TearDown() override {
        outlookafkoppelen();
        outlookkoppeling.bezig = false;
        outlook::SetDocumentOpener(nullptr);
        outlook::SetBeforeRenameHook(nullptr);
        SetOutlookFoutmelding(nullptr);
        unsetenv("XDG_DATA_HOME");
    }
    std::string Contacts() const { return dir_.Path() + "belverin/contacten/"; }
    std::string Journal() const { return dir_.Path() + "belverin/logboek/"; }
    void Card(const std::string& name, const std::string& lines) {
        std::ofstream(Contacts() + name, std::ios::binary) << "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                                                           << lines << "END:VCARD\r\n";
    }
    std::shared_ptr<outlook::Item> Contact(int i) {
        return outlookkoppeling.contacten->Items().GetItem(i);
    }
    std::vector<std::string> Files(const std::string& folder) const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            out.push_back(e.path().string());
        }
        return out;
    }

    TempDir dir_;
    RecordingOpener opener_;
    std::vector<std::string> meldingen_;
};

TEST_F(OutlookLink, SearchFillsTheCallerFromTheFirstPropertyThatHoldsTheNumber) {
    Card("1.vcf",
         "N:Bakker;Jan;;;\r\nFN:Jan Bakker\r\nORG:Bakkerij Bakker\r\n"
         "TEL;TYPE=WORK:0301\r\nADR;TYPE=WORK:;;Markt 1;Zeist;;3701;\r\n"
         "ADR;TYPE=HOME:;;Thuis 2;Ede;;6711;\r\n");
    Card("2.vcf",
         "N:Smit;Anna;;;\r\nFN:Anna Smit\r\nORG:Smit BV\r\n"
         "TEL;TYPE=WORK:0612\r\nTEL;TYPE=CELL:0612\r\n"
         "ADR;TYPE=HOME:;;Laan 3;Baarn;;3741;\r\nADR;TYPE=WORK:;;Plein 9;Soest;;3761;\r\n");
    struct Case {
        std::string nummer;
        bool found;
        telefoonrecordtype expected;
    };
    auto record = [](std::string v, std::string n, std::string s, std::string c, std::string p,
                     std::string z) {
        telefoonrecordtype r;
        r.voornaam = v, r.naam = n, r.straat = s, r.postcode = c, r.plaats = p, r.zoekstatus = z;
        r.tijd = "12:00:00";
        return r;
    };
    const Case cases[] = {
        {"0301", true,
         record("", "Bakkerij Bakker", "Markt 1", "3701", "Zeist", "In Outlook gevonden (Werk)")},
        // Found through the business number, private because the mobile number holds it too.
        {"0612", true,
         record("Anna", "Smit", "Laan 3", "3741", "Baarn", "In Outlook gevonden (Werk)")},
        {"0999", false, record("", "", "", "", "", "")},
    };
    for (const Case& c : cases) {
        huidigebeller = telefoonrecordtype{};
        huidigebeller.tijd = "12:00:00";
        EXPECT_EQ(vindnummer(c.nummer, false), c.found) << c.nummer;
        EXPECT_EQ(huidigebeller, c.expected) << c.nummer;
    }
    outlookkoppeling.bezig = true;
    EXPECT_FALSE(vindnummer("0301", false));
    outlookkoppeling.bezig = false;
    outlookafkoppelen();
    EXPECT_FALSE(vindnummer("0301", false));
    EXPECT_TRUE(opener_.opened.empty());
}

TEST_F(OutlookLink, DashesNeedOneToolRunPerDash) {
    Card("1.vcf", "FN:Een\r\nTEL;TYPE=HOME:020-123\r\n");
    Card("2.vcf", "FN:Twee\r\nTEL;TYPE=HOME:030-12-34\r\n");
    EXPECT_FALSE(vindnummer("020123", false));
    EXPECT_FALSE(vindnummer("0301234", false));
    std::vector<std::string> lijst;
    auto regel = [&](const std::string& t) { lijst.insert(lijst.begin(), t); };
    ASSERT_TRUE(streepjewissen(regel));
    EXPECT_EQ(lijst, (std::vector<std::string>{"  030-12-34 > 03012-34", "Twee",
                                               "  020-123 > 020123", "Een"}));
    EXPECT_TRUE(vindnummer("020123", false));
    EXPECT_FALSE(vindnummer("0301234", false));
    ASSERT_TRUE(streepjewissen(regel));
    EXPECT_TRUE(vindnummer("0301234", false));
    EXPECT_EQ(huidigebeller.zoekstatus, "In Outlook gevonden (Thuis)");
}

TEST_F(OutlookLink, LoggingWritesCategoriesBodyAndJournal) {
    instellingen.loggen = true;
    instellingen.opnemeninlogboek = true;
    instellingen.loggeninlogboek = true;
    instellingen.logboekopenen = true;
    Card("1.vcf",
         "N:Bakker;Jan;;;\r\nFN:Jan Bakker\r\nTEL;TYPE=HOME:0301\r\n"
         "CATEGORIES:Vrienden\r\nNOTE:oud\r\n");
    huidigebeller.nummer = "0301";
    ASSERT_TRUE(vindnummer("0301", true));
    huidigebeller.tijd = "13:00:00";
    ASSERT_TRUE(vindnummer("0301", false));

    auto contact = Contact(1);
    EXPECT_EQ(contact->GetText("categories"), "Vrienden;Belverin log");
    EXPECT_EQ(contact->GetText("body"), "13:00:00 - 0301\n12:00:00 - 0301\noud");
    EXPECT_TRUE(contact->GetBool("journal"));
    const auto entries = Files(Journal());
    ASSERT_EQ(entries.size(), 2u);
    for (const std::string& entry : entries) {
        const std::string text = ReadFile(entry);
        EXPECT_NE(text.find("SUMMARY:Jan Bakker\r\n"), std::string::npos);
        EXPECT_NE(text.find("CONTACT:Jan Bakker\r\n"), std::string::npos);
    }
    // The first search displayed the contact and its entry, the second only the entry.
    ASSERT_EQ(opener_.opened.size(), 3u);
    EXPECT_EQ(opener_.opened[0], contact->Path());
    for (int i : {1, 2}) {
        EXPECT_EQ(opener_.opened[i].substr(0, Journal().size()), Journal());
    }
    EXPECT_NE(opener_.opened[1], opener_.opened[2]);

    // A display that fails leaves the search a success.
    opener_.answer = false;
    EXPECT_TRUE(vindnummer("0301", true));
}

TEST_F(OutlookLink, AFailingSaveEndsTheSearchWithFalseAndKeepsTheFilledFields) {
    instellingen.loggen = true;
    Card("1.vcf", "N:Bakker;Jan;;;\r\nFN:Jan Bakker\r\nTEL;TYPE=HOME:0301\r\n");
    const std::string before = ReadFile(Contacts() + "1.vcf");
    outlook::SetBeforeRenameHook([] { throw outlook::EAutomationError("disk full"); });
    EXPECT_FALSE(vindnummer("0301", false));
    EXPECT_EQ(huidigebeller.naam, "Bakker");
    EXPECT_EQ(huidigebeller.zoekstatus, "In Outlook gevonden (Thuis)");
    outlook::SetBeforeRenameHook(nullptr);
    EXPECT_EQ(ReadFile(Contacts() + "1.vcf"), before);

    // Changed on disk by another program after it was read.
    ASSERT_TRUE(vindnummer2("hometelephonenumber", "0301"));
    Card("1.vcf", "N:Bakker;Jan;;;\r\nFN:Jan Bakker\r\nTEL;TYPE=HOME:0301\r\nNOTE:ander\r\n");
    auto stale = outlookkoppeling.gevonden;
    stale->SetText("body", "x");
    EXPECT_THROW(stale->Save(), outlook::EAutomationError);
}

TEST_F(OutlookLink, AddContactStoresTheCallerOnce) {
    instellingen.loggen = true;
    instellingen.loggeninlogboek = true;
    huidigebeller.nummer = "0301";
    addcontact("0301", "Jan", "Bakker", "jr", "Markt 1", "3701", "Zeist", true);
    addcontact("0301", "Jan", "Bakker", "jr", "Markt 1", "3701", "Zeist", true);
    const auto files = Files(Contacts());
    ASSERT_EQ(files.size(), 1u);
    auto contact = Contact(1);
    EXPECT_EQ(contact->GetText("hometelephonenumber"), "0301");
    EXPECT_EQ(contact->GetText("fullname"), "Jan Bakker");
    EXPECT_EQ(contact->GetText("homeaddressstreet"), "Markt 1");
    EXPECT_EQ(contact->GetText("homeaddresspostalcode"), "3701");
    EXPECT_EQ(contact->GetText("homeaddresscity"), "Zeist");
    EXPECT_EQ(contact->GetText("categories"), "Nieuw nummer (Belverin);Belverin log");
    EXPECT_EQ(contact->GetText("body"), "12:00:00 - 0301\n");
    EXPECT_FALSE(contact->GetBool("journal"));
    EXPECT_EQ(ReadFile(files[0]).find("jr"), std::string::npos);
    const auto entries = Files(Journal());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(ReadFile(entries[0]).find("CATEGORIES:Nieuw nummer (Belverin),Belverin log\r\n"),
              std::string::npos);
    EXPECT_EQ(opener_.opened, std::vector<std::string>{contact->Path()});

    // A number held in any phone property counts.
    Card("x.vcf", "FN:X\r\nTEL;X-BELVERIN-FIELD=callbacktelephonenumber:0777\r\n");
    addcontact("0777", "", "X", "", "", "", "", false);
    EXPECT_EQ(Files(Contacts()).size(), 2u);
}

TEST_F(OutlookLink, LogRemovalKeepsTheOtherCategories) {
    Card("1.vcf", "FN:Een\r\nCATEGORIES:Werk,Belverin log\r\n");
    Card("2.vcf", "FN:Twee\r\nCATEGORIES:Belverin log\r\n");
    Card("3.vcf", "FN:Drie\r\nCATEGORIES:Belverin log,Vrienden\r\n");
    Card("4.vcf", "FN:Vier\r\nCATEGORIES:Vrienden\r\n");
    const std::string untouched = ReadFile(Contacts() + "4.vcf");
    std::vector<std::string> lijst;
    ASSERT_TRUE(outlooklogwissen([&](const std::string& t) { lijst.insert(lijst.begin(), t); }));
    EXPECT_EQ(lijst, (std::vector<std::string>{"Drie  Belverin log;Vrienden", "Twee  Belverin log",
                                               "Een  Werk;Belverin log"}));
    outlookafkoppelen();
    outlookaankoppelen();
    EXPECT_EQ(Contact(1)->GetText("categories"), "Werk;");
    EXPECT_EQ(Contact(2)->GetText("categories"), "");
    EXPECT_EQ(Contact(3)->GetText("categories"), ";Vrienden");
    EXPECT_EQ(ReadFile(Contacts() + "4.vcf"), untouched);
}

TEST_F(OutlookLink, AStoreThatCannotBeMadeTurnsTheLinkOff) {
    outlookafkoppelen();
    TempDir other;
    other.Write("file", "x");
    setenv("XDG_DATA_HOME", other.File("file").c_str(), 1);
    instellingen.koppeling = true;
    outlookaankoppelen();
    EXPECT_FALSE(outlookisgekoppeld());
    EXPECT_FALSE(instellingen.koppeling);
    EXPECT_FALSE(outlookkoppeling.naamruimte || outlookkoppeling.contacten ||
                 outlookkoppeling.logboek);
    EXPECT_EQ(meldingen_,
              std::vector<std::string>{"Kan Outlook niet openen.\nOutlook koppeling is uitgezet."});
    EXPECT_FALSE(vindnummer("0301", false));
    addcontact("0301", "", "", "", "", "", "", false);
}

}  // namespace
}  // namespace monitor
