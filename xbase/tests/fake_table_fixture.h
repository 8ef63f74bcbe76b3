#pragma once

#include <string>

#include "xbase/tests/layer_fixture.h"
#include "xbase/xbcalls.h"

namespace xbase::testing {

// One table open over the fake engine; the record calls of the open are forgotten.
class FakeTableTest : public LayerTest {
  protected:
    void OpenTable(FakeTable structure, int32_t driver = SX_FOX) {
        DbiInitEngine(nullptr);
        DbHandle db = 0;
        ASSERT_EQ(DbiOpenDatabase("/data", nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db), kOk);
        fake.AddTable("/data/t.dbf", std::move(structure));
        const char* text = driver == SX_NTX ? "SXNTX" : "SXFOX";
        ASSERT_EQ(DbiOpenTableArea(db, "t.dbf", text, nullptr, nullptr, 0, 0, 0, 0, false, nullptr,
                                   &table),
                  kOk);
        ASSERT_EQ(DbiGetFieldDescs(table, nullptr), kOk);
        fake.calls.clear();
        fake.sysProps.clear();
    }

    CursorHandle table = 0;
};

}  // namespace xbase::testing
