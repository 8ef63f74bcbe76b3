#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/db/component.h"
#include "platform/db/data_source.h"
#include "platform/db/memory_data_set.h"

namespace db {
namespace {

// Notes what it is told and drops its reference to a component that goes away.
class Watcher : public TComponent {
  public:
    Watcher(TComponent* owner, std::vector<std::string>& log) : TComponent(owner), log_(log) {}
    ~Watcher() override { log_.push_back(Name() + " gone"); }
    TComponent* watched = nullptr;

  protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == watched) {
            log_.push_back(Name() + " dropped " + component->Name());
            watched = nullptr;
        }
    }

  private:
    std::vector<std::string>& log_;
};

TEST(Components, OwnerFreesWhatItOwns) {
    std::vector<std::string> log;
    auto* form = new TComponent;
    auto* a = new Watcher(form, log);
    a->SetName("a");
    auto* b = new Watcher(form, log);
    b->SetName("b");
    EXPECT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(a->Owner(), form);
    delete a;
    EXPECT_EQ(form->ComponentCount(), 1);
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"a gone", "b gone"}));
}

TEST(Components, FreeNotificationReachesAcrossOwners) {
    std::vector<std::string> log;
    TComponent form1;
    TComponent form2;
    auto* watcher = new Watcher(&form1, log);
    watcher->SetName("w");
    auto* target = new Watcher(&form2, log);
    target->SetName("t");
    watcher->watched = target;
    target->FreeNotification(watcher);
    delete target;
    EXPECT_EQ(watcher->watched, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"t gone", "w dropped t"}));
}

TEST(Components, SiblingsHearOfEachOthersRemoval) {
    std::vector<std::string> log;
    TComponent form;
    auto* watcher = new Watcher(&form, log);
    watcher->SetName("w");
    auto* sibling = new Watcher(&form, log);
    sibling->SetName("s");
    watcher->watched = sibling;
    delete sibling;
    EXPECT_EQ(watcher->watched, nullptr);
}

TEST(Components, ActiveSetWhileLoadingOpensWhenLoaded) {
    TComponent form;
    auto* table = new TMemoryDataSet(&form);
    table->FieldDefs().Add("NAAM", ftString, 5);
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    table->BeginLoad();
    EXPECT_TRUE(table->Loading());
    table->SetActive(true);
    EXPECT_FALSE(table->Active());
    table->EndLoad();
    EXPECT_TRUE(table->Active());
    EXPECT_EQ(source->State(), dsBrowse);
}

TEST(Components, DataSourceLetsGoOfADataSetFreedByAnotherOwner) {
    TComponent form;
    auto* other = new TComponent;
    auto* table = new TMemoryDataSet(other);
    table->FieldDefs().Add("NAAM", ftString, 5);
    table->Open();
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    delete other;
    EXPECT_EQ(source->DataSet(), nullptr);
    EXPECT_EQ(source->State(), dsInactive);
}

}  // namespace
}  // namespace db
