#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/db/data_link.h"
#include "platform/db/data_source.h"
#include "platform/db/field.h"
#include "platform/db/memory_data_set.h"

namespace db::testing {

// A link that writes every notification into a log.
class RecordingLink : public TDataLink {
  public:
    explicit RecordingLink(std::vector<std::string>& log) : log_(log) {}

  protected:
    void ActiveChanged() override { log_.push_back(Active() ? "link:active" : "link:inactive"); }
    void DataSetChanged() override { log_.push_back("link:changed"); }
    void DataSetScrolled(int distance) override {
        log_.push_back("link:scrolled " + std::to_string(distance));
    }
    void EditingChanged() override { log_.push_back(Editing() ? "link:editing" : "link:browsing"); }
    void LayoutChanged() override { log_.push_back("link:layout"); }
    void RecordChanged(TField* field) override {
        log_.push_back("link:record " + (field != nullptr ? field->FieldName() : std::string()));
    }
    void UpdateData() override { log_.push_back("link:update"); }
    void CheckBrowseMode() override { log_.push_back("link:checkbrowse"); }

  private:
    std::vector<std::string>& log_;
};

// A table of people: ID smallint, NAAM text 10, BEDRAG float, ACTIEF boolean, DATUM date,
// MEMO memo, DATA typed binary. Rows are made with ids 1..n and names "n1".."nn".
class PeopleTable {
  public:
    explicit PeopleTable(int rows = 0) : table(std::make_unique<TMemoryDataSet>()) {
        table->SetName("t1");
        table->FieldDefs().Add("ID", ftSmallint);
        table->FieldDefs().Add("NAAM", ftString, 10);
        table->FieldDefs().Add("BEDRAG", ftFloat);
        table->FieldDefs().Add("ACTIEF", ftBoolean);
        table->FieldDefs().Add("DATUM", ftDate);
        table->FieldDefs().Add("MEMO", ftMemo, 10);
        table->FieldDefs().Add("DATA", ftTypedBinary, 10);
        table->Open();
        for (int i = 1; i <= rows; ++i) {
            AppendRow(i);
        }
        if (rows > 0) {
            table->First();
        }
    }

    void AppendRow(int id) {
        table->Append();
        Field("ID").SetAsInteger(id);
        Field("NAAM").SetAsString("n" + std::to_string(id));
        table->Post();
    }

    TField& Field(const char* name) { return table->FieldByName(name); }
    int Id() { return Field("ID").AsInteger(); }

    // Ids visited by First/Next to Eof.
    std::vector<int> Forward() {
        std::vector<int> ids;
        for (table->First(); !table->Eof(); table->Next()) {
            ids.push_back(Id());
        }
        return ids;
    }

    // Records every data-set event into log.
    void RecordEvents() {
        auto note = [this](const char* name) {
            return [this, name](TDataSet&) { log.push_back(name); };
        };
        table->BeforeOpen = note("BeforeOpen");
        table->AfterOpen = note("AfterOpen");
        table->BeforeClose = note("BeforeClose");
        table->AfterClose = note("AfterClose");
        table->BeforeInsert = note("BeforeInsert");
        table->AfterInsert = note("AfterInsert");
        table->BeforeEdit = note("BeforeEdit");
        table->AfterEdit = note("AfterEdit");
        table->BeforePost = note("BeforePost");
        table->AfterPost = note("AfterPost");
        table->BeforeCancel = note("BeforeCancel");
        table->AfterCancel = note("AfterCancel");
        table->BeforeDelete = note("BeforeDelete");
        table->AfterDelete = note("AfterDelete");
        table->BeforeScroll = note("BeforeScroll");
        table->AfterScroll = note("AfterScroll");
        table->OnNewRecord = note("OnNewRecord");
    }

    // A data source with a recording link of the given window size.
    RecordingLink& Link(int buffer_count = 1) {
        if (!source) {
            source = std::make_unique<TDataSource>();
            source->SetDataSet(table.get());
        }
        links.push_back(std::make_unique<RecordingLink>(log));
        links.back()->SetBufferCount(buffer_count);
        links.back()->SetDataSource(source.get());
        return *links.back();
    }

    std::vector<std::string> log;
    // Declared so that links and source go before the table.
    std::unique_ptr<TMemoryDataSet> table;
    std::unique_ptr<TDataSource> source;
    std::vector<std::unique_ptr<RecordingLink>> links;

    ~PeopleTable() {
        links.clear();
        source.reset();
    }
};

}  // namespace db::testing
