#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "platform/outlook/application.h"
#include "platform/outlook/automation_error.h"
#include "platform/outlook/journal_item.h"
#include "platform/outlook/stored_file.h"
#include "platform/rtl/tests/temp_dir.h"

namespace outlook {
namespace {

using rtl::testing::TempDir;

class RecordingOpener : public DocumentOpener {
  public:
    RecordingOpener() { SetDocumentOpener(this); }
    ~RecordingOpener() override { SetDocumentOpener(nullptr); }
    bool Open(const std::string& path) override {
        opened.push_back(path);
        return answer;
    }
    std::vector<std::string> opened;
    bool answer = true;
};

class Store : public ::testing::Test {
  protected:
    void SetUp() override { app_ = Application::Create("Outlook.Application", dir_.Path()); }
    void TearDown() override { SetBeforeRenameHook(nullptr); }

    ContactItems Items() {
        return app_->GetNameSpace("MAPI")->GetDefaultFolder(olFolderContacts)->Items();
    }
    std::shared_ptr<Item> NewContact(const std::string& last, const std::string& home) {
        auto item = app_->CreateItem(olContactItem);
        item->SetText("lastname", last);
        item->SetText("hometelephonenumber", home);
        item->Save();
        return item;
    }
    void WriteCard(const std::string& name, const std::string& bytes) {
        dir_.Write("contacten/" + name, bytes);
    }
    static int Mode(const std::string& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }

    TempDir dir_;
    std::shared_ptr<Application> app_;
};

TEST_F(Store, LinkingMakesPrivateFoldersAndNewItemsPrivateFiles) {
    EXPECT_EQ(Mode(dir_.File("contacten")), 0700);
    EXPECT_EQ(Mode(dir_.File("logboek")), 0700);
    auto item = NewContact("Jansen", "0201");
    ASSERT_FALSE(item->Path().empty());
    EXPECT_EQ(Mode(item->Path()), 0600);
    EXPECT_EQ(item->Path().substr(0, dir_.File("contacten/").size()), dir_.File("contacten/"));

    auto again = Application::Create("outlook.application", dir_.Path());
    auto items = again->GetNameSpace("mapi")->GetDefaultFolder(10)->Items();
    ASSERT_EQ(items.Count(), 1);
    EXPECT_EQ(items.GetItem(1)->GetText("FullName"), "Jansen");
    EXPECT_THROW(items.GetItem(2), EAutomationError);
    EXPECT_THROW(again->GetNameSpace("OTHER"), EAutomationError);
    EXPECT_THROW(again->GetNameSpace("MAPI")->GetDefaultFolder(6), EAutomationError);
    EXPECT_THROW(again->CreateItem(1), EAutomationError);
    EXPECT_THROW(Application::Create("Word.Application", dir_.Path()), EAutomationError);
}

TEST_F(Store, AStoreThatCannotBeMadeRaises) {
    TempDir other;
    other.Write("file", "x");
    EXPECT_THROW(Application::Create("Outlook.Application", other.File("file")), EAutomationError);
}

TEST_F(Store, ItemsComeInFileNameOrderAndFindComparesExactly) {
    WriteCard("b.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:B\r\nTEL;TYPE=HOME:020'1\r\nEND:VCARD\r\n");
    WriteCard("a.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nTEL;TYPE=HOME:020-1\r\nEND:VCARD\r\n");
    WriteCard("c.VCF",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:C\r\nTEL;TYPE=HOME:020'1\r\nEND:VCARD\r\n");
    WriteCard("d.txt", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:D\r\nEND:VCARD\r\n");
    WriteCard("e.vcf", "not a card");
    auto items = Items();
    ASSERT_EQ(items.Count(), 3);
    EXPECT_EQ(items.GetItem(1)->GetText("fullname"), "A");
    EXPECT_EQ(items.GetItem(3)->GetText("fullname"), "C");
    auto hit = items.Find("Hometelephonenumber", "020'1");
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->GetText("fullname"), "B");
    EXPECT_FALSE(items.Find("hometelephonenumber", "0201"));
    EXPECT_FALSE(items.Find("hometelephonenumber", "020-"));
    EXPECT_THROW(items.Find("[hometelephonenumber]", "x"), EAutomationError);
}

TEST_F(Store, SavingAnUnchangedItemWritesNothing) {
    auto item = NewContact("Jansen", "0201");
    const auto before = StampOf(item->Path());
    item->SetText("lastname", "Jansen");
    item->Save();
    item->Close(0);
    EXPECT_EQ(StampOf(item->Path()), before);
    item->SetText("lastname", "Pietersen");
    item->Save();
    EXPECT_NE(StampOf(item->Path()), before);
}

TEST_F(Store, AFileChangedOnDiskIsNotOverwritten) {
    auto item = NewContact("Jansen", "0201");
    auto found = Items().Find("hometelephonenumber", "0201");
    ASSERT_TRUE(found);
    const std::string other = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Other program\r\nEND:VCARD\r\n";
    rtl::testing::TempDir scratch;
    std::filesystem::remove(item->Path());
    std::ofstream(item->Path(), std::ios::binary) << other;
    found->SetText("body", "new");
    EXPECT_THROW(found->Save(), EAutomationError);
    std::ifstream in(item->Path(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), other);
    // A fresh list reads the other program's version.
    EXPECT_EQ(Items().GetItem(1)->GetText("fullname"), "Other program");
}

TEST_F(Store, AStopBeforeTheRenameLeavesTheOldFileWhole) {
    auto item = NewContact("Jansen", "0201");
    std::ifstream in(item->Path(), std::ios::binary);
    const std::string old(std::istreambuf_iterator<char>(in), {});
    SetBeforeRenameHook([] { throw std::runtime_error("stop"); });
    item->SetText("lastname", "Pietersen");
    EXPECT_THROW(item->Save(), std::runtime_error);
    SetBeforeRenameHook(nullptr);
    std::ifstream again(item->Path(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), old);
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.File("contacten"))) {
        files += e.path().extension() == ".vcf";
    }
    EXPECT_EQ(files, 1);
    // The item still holds its change and saves it once the write can go through.
    item->Save();
    EXPECT_EQ(Items().GetItem(1)->GetText("lastname"), "Pietersen");
}

TEST_F(Store, DisplayOpensTheSavedFile) {
    RecordingOpener opener;
    auto item = app_->CreateItem(olContactItem);
    EXPECT_THROW(item->Display(), EAutomationError);
    item->Save();
    item->Display();
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], item->Path());
    opener.answer = false;
    EXPECT_THROW(item->Display(), EAutomationError);
}

TEST_F(Store, JournalEntriesAreVJournalFiles) {
    auto entry = app_->CreateItem(olJournalItem);
    entry->SetText("Subject", "Piet, de Vries");
    entry->SetText("body", "12:00 - 0201\nvolgende");
    entry->SetText("categories", "Nieuw nummer (Belverin);Belverin log");
    entry->SetText("contactnames", "Piet de Vries");
    EXPECT_THROW(entry->SetText("start", "x"), EAutomationError);
    entry->Save();
    ASSERT_FALSE(entry->Path().empty());
    EXPECT_EQ(std::filesystem::path(entry->Path()).extension(), ".ics");
    EXPECT_EQ(Mode(entry->Path()), 0600);
    std::ifstream in(entry->Path(), std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    for (const char* line :
         {"BEGIN:VCALENDAR\r\nVERSION:2.0\r\n", "BEGIN:VJOURNAL\r\n",
          "SUMMARY:Piet\\, de Vries\r\n", "DESCRIPTION:12:00 - 0201\\nvolgende\r\n",
          "CATEGORIES:Nieuw nummer (Belverin),Belverin log\r\n", "CONTACT:Piet de Vries\r\n",
          "END:VJOURNAL\r\nEND:VCALENDAR\r\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    EXPECT_NE(text.find("\r\nUID:"), std::string::npos);
    EXPECT_NE(text.find("\r\nDTSTAMP:"), std::string::npos);
    EXPECT_NE(text.find("\r\nDTSTART:"), std::string::npos);
    EXPECT_THROW(app_->GetNameSpace("MAPI")->GetDefaultFolder(11)->Items(), EAutomationError);
}

}  // namespace
}  // namespace outlook
