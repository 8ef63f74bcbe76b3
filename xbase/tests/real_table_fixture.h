#pragma once

// A layer over the engine library with tables made for the test in a scratch folder.
// Skipped while the build has no engine library.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/engine_record.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/work_area.h"
#include "xbase/xbcalls.h"

#ifdef REAL_ENGINE_PATH
#include "platform/xbase32/dbf_table.h"
#include "platform/xbase32/table_tool.h"
#endif

namespace xbase::testing {

class RealTable : public ::testing::Test {
  protected:
    void SetUp() override {
#ifndef REAL_ENGINE_PATH
        GTEST_SKIP() << "the build has no engine library";
#else
        std::string error;
        library_ = EngineLibrary::Open(REAL_ENGINE_PATH, &error);
        ASSERT_NE(library_, nullptr) << error;
        ResetLayerState();
        ClearAllWorkAreas();
        BindEngine(&library_->Api());
        SetMessageSink([this](const LayerMessage& m) { messages.push_back(m.text); });
        std::string pattern = (std::filesystem::temp_directory_path() / "xbcalls-rec-XXXXXX");
        folder = std::string(mkdtemp(pattern.data())) + "/";
        ASSERT_EQ(DbiInitEngine(nullptr), kOk);
        ASSERT_EQ(DbiOpenDatabase(folder.c_str(), nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db),
                  kOk);
        Engine().sx_SetLockTimeout(0);
#endif
    }

    void TearDown() override {
        if (!library_)
            return;
        DbiExitEngine();
        // Settings are the engine's own and outlive the areas.
        Engine().sx_SetDeleted(0);
        BindEngine(nullptr);
        SetMessageSink({});
        ResetLayerState();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Creates `name` with fields given as NAME:C:20, NAME:N:6:2, NAME:D, NAME:L, NAME:M.
    void Create(const std::string& name, const std::vector<std::string>& fields) {
#ifdef REAL_ENGINE_PATH
        xb::DbfTable::Create(folder + name, xb::ParseFieldSpecs(fields), 64);
#else
        (void)name;
        (void)fields;
#endif
    }

    CursorHandle Open(const std::string& name, int32_t openMode = 0, int32_t shareMode = 0) {
        CursorHandle h = 0;
        EXPECT_EQ(DbiOpenTableArea(db, name.c_str(), nullptr, nullptr, nullptr, 0, openMode,
                                   shareMode, 0, false, nullptr, &h),
                  kOk);
        if (h > 0) {
            EXPECT_EQ(DbiGetFieldDescs(h, &fields), kOk);
        }
        return h;
    }

    int RecordSize(CursorHandle h) {
        return WorkAreaOf(h)->recordSize;
    }

    // A blank record of the table.
    std::vector<char> Blank(CursorHandle h) {
        std::vector<char> record(static_cast<size_t>(RecordSize(h)));
        EXPECT_EQ(DbiInitRecord(h, record.data()), kOk);
        return record;
    }

    // A new record whose first text field holds `text`, appended unlocked.
    void AppendText(CursorHandle h, const std::string& text) {
        std::vector<char> record = Blank(h);
        ASSERT_EQ(DbiPutField(h, 1, record.data(), text.c_str()), kOk);
        ASSERT_EQ(DbiAppendRecord(h, record.data()), kOk);
    }

    // The first text field of a record.
    std::string TextOf(CursorHandle h, const std::vector<char>& record, uint16_t field = 1) {
        std::vector<char> value(static_cast<size_t>(RecordSize(h)) + 1, '\0');
        bool blank = false;
        EXPECT_EQ(DbiGetField(h, field, record.data(), value.data(), &blank), kOk);
        return blank ? std::string() : std::string(value.data());
    }

    // The engine's own record buffer of the table's area as it is now.
    std::vector<char> EngineBuffer(CursorHandle h) {
        Engine().sx_Select(h);
        const char* buffer = EngineRecordBuffer();
        return std::vector<char>(buffer, buffer + RecordSize(h));
    }

    // True when the engine lacks `call`'s feature (its part that is still missing).
    static bool Missing() {
        const char* text = Engine().sx_LastErrorText();
        return text != nullptr && std::strstr(text, "not available") != nullptr;
    }

    std::unique_ptr<EngineLibrary> library_;
    std::vector<std::string> messages;
    std::vector<FieldDescriptor> fields;
    std::string folder;
    DbHandle db = 0;
};

}  // namespace xbase::testing
