#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "xbase/engine_api.h"

namespace xbase::testing {

struct FakeField {
    FakeField(std::string name, char type = 'C', int width = 10, int decimals = 0,
              bool textForm = false)
        : name(std::move(name)), type(type), width(width), decimals(decimals), textForm(textForm) {}
    std::string name;
    char type = 'C';
    int width = 10;
    int decimals = 0;
    bool textForm = false;  // the engine keeps it in its own text form
};

struct FakeTag {
    explicit FakeTag(std::string name, std::string file = "", std::string key = "",
                     std::string keyFields = "", int32_t kind = 1, std::string condition = "",
                     bool descending = false)
        : name(std::move(name)),
          file(std::move(file)),
          key(std::move(key)),
          keyFields(std::move(keyFields)),
          kind(kind),
          condition(std::move(condition)),
          descending(descending) {}
    std::string name;
    std::string file;
    std::string key;
    std::string keyFields;
    int32_t kind = 1;  // 1 plain, 2 unique, 3 subset, 4 both
    std::string condition;
    bool descending = false;
};

struct FakeTable {
    std::vector<FakeField> fields;
    std::vector<FakeTag> tags;  // production tags, present at open
};

struct UseCall {
    std::string path;
    std::string alias;
    int32_t mode = -1;
    int32_t driver = -1;
};

// An engine that keeps areas, structures and orders in memory, records every call by name
// and answers as a test set it. While it lives it is the bound engine.
class FakeEngine {
  public:
    struct Area {
        std::string path;
        std::string alias;
        int32_t mode = 0;
        int32_t driver = 0;
        FakeTable table;
        int32_t order = 0;
    };

    FakeEngine();
    ~FakeEngine();
    FakeEngine(const FakeEngine&) = delete;
    FakeEngine& operator=(const FakeEngine&) = delete;

    // A table that sx_Use opens under `path`.
    void AddTable(const std::string& path, FakeTable table) { tables[path] = std::move(table); }
    // Opens `path` in the lowest free area outside the layer (another user of the engine).
    int32_t OpenDirectly(const std::string& path, const std::string& alias);

    EngineApi& Api() { return api_; }
    int CountOf(const std::string& call) const;

    // Settings.
    std::string version = "xbfak 40";
    intptr_t oneTagPerFile = 1;

    // State and records.
    std::map<std::string, FakeTable> tables;
    std::map<int32_t, Area> areas;
    int32_t current = 0;
    std::vector<std::string> calls;
    std::vector<UseCall> uses;
    std::vector<int32_t> notified;
    std::vector<std::string> indexOpens;
    std::vector<int32_t> orderSets;
    std::vector<std::pair<int32_t, intptr_t>> sysProps;
    int32_t stringType = -1;
    int32_t errorLevel = -1;

    // Records: one record buffer, standing on record `recno`.
    std::vector<char> buffer;
    int32_t recno = 1;
    std::vector<int32_t> gos;
    struct Replace {
        std::string field;
        int32_t kind;
        std::string value;  // as text
    };
    std::vector<Replace> replaces;
    std::vector<sx_bool> centuries;  // every sx_SetCentury

    // Filters: the engine's filter text; a rejected text clears it.
    std::string filter;
    std::vector<std::string> queries;
    std::vector<std::string> rejected;

    // Seeking.
    std::vector<std::string> seeks;
    bool seekFinds = false;
    intptr_t softSeek = 0;
    intptr_t exact = 1;

    // Used by the engine's calls.
    Area* Current();
    const FakeField* Field(const char* name);
    const FakeTag* Tag(int32_t order);
    const char* Keep(std::string text);
    // The buffer, sized to the current area's record; the bytes of a field in it.
    char* Buffer();
    std::string FieldBytes(const char* name);
    void SetFieldBytes(const char* name, const std::string& bytes);

  private:
    EngineApi api_;
    std::string scratch_;
};

FakeEngine& Fake();

}  // namespace xbase::testing
