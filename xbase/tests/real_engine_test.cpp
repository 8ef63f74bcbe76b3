// The layer over the engine library itself. Skipped while the build has no engine library.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "xbase/engine_api.h"
#include "xbase/engine_library.h"
#include "xbase/layer_state.h"
#include "xbase/message_sink.h"
#include "xbase/work_area.h"
#include "xbase/xbcalls.h"

#if defined(REAL_ENGINE_PATH) && __has_include("platform/xbase32/file_lock.h")
#include "platform/xbase32/file_lock.h"
#define HAVE_ENGINE_LOCK_LAYOUT 1
#endif

namespace xbase::testing {
namespace {

namespace fs = std::filesystem;

class RealEngine : public ::testing::Test {
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
        std::string pattern = (fs::temp_directory_path() / "xbcalls-real-XXXXXX");
        folder = std::string(mkdtemp(pattern.data())) + "/";
        ASSERT_EQ(DbiInitEngine(nullptr), kOk);
        ASSERT_EQ(DbiOpenDatabase(folder.c_str(), nullptr, 0, 0, nullptr, 0, nullptr, nullptr, &db),
                  kOk);
#endif
    }

    void TearDown() override {
        if (!library_)
            return;
        DbiExitEngine();
        BindEngine(nullptr);
        SetMessageSink({});
        ResetLayerState();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // Copies a table that the build ships into the scratch folder.
    void CopyShipped(const std::string& table) {
        const fs::path from = fs::path(BELVERIN_PROGRAM_DIR) / table;
        if (!fs::exists(from.string() + ".DBF")) {
            GTEST_SKIP() << "the build ships no " << table;
        }
        for (const char* ext : {".DBF", ".FPT"}) {
            fs::copy_file(from.string() + ext, folder + table + ext);
        }
    }

    CursorHandle Open(const std::string& name, int32_t openMode, int32_t shareMode) {
        CursorHandle h = 0;
        EXPECT_EQ(DbiOpenTableArea(db, name.c_str(), nullptr, nullptr, nullptr, 0, openMode,
                                   shareMode, 0, false, nullptr, &h),
                  kOk);
        return h;
    }

    std::unique_ptr<EngineLibrary> library_;
    std::vector<std::string> messages;
    std::string folder;
    DbHandle db = 0;
};

TEST_F(RealEngine, OpeningBothProgramTablesRaisesNoMessage) {
    CopyShipped("belverintel");
    CopyShipped("belverinlog");
    const CursorHandle book = Open("belverintel.DBF", 0, 0);
    const CursorHandle log = Open("belverinlog.DBF", 0, 0);
    ASSERT_GT(book, 0);
    ASSERT_GT(log, 0);
    EXPECT_EQ(WorkAreaOf(book)->alias, "belverin");
    EXPECT_EQ(WorkAreaOf(log)->alias, "belverin_1");
    EXPECT_EQ(WorkAreaOf(book)->driver, SX_FOX);

    struct Case {
        CursorHandle table;
        size_t fields;
    };
    for (const Case& c : {Case{book, 17}, Case{log, 14}}) {
        std::vector<FieldDescriptor> fields;
        ASSERT_EQ(DbiGetFieldDescs(c.table, &fields), kOk);
        ASSERT_EQ(fields.size(), c.fields);
        for (const FieldDescriptor& f : fields) {
            if (f.name == "MEMO") {
                EXPECT_EQ(f.subType, kBlobMemo);
            } else {
                EXPECT_EQ(f.fieldType, kFldText) << f.name;
            }
        }
        CursorProperties props;
        ASSERT_EQ(DbiGetTableProps(c.table, &props), kOk);
        EXPECT_EQ(props.tableType, "SXFOX");
    }
    EXPECT_TRUE(messages.empty());
    for (CursorHandle h : {book, log}) {
        EXPECT_EQ(DbiCloseTable(&h), kOk);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RealEngine, AppendOnAReadOnlyAreaIsRefused) {
    CopyShipped("belverinlog");
    const CursorHandle log = Open("belverinlog.DBF", 1, 0);
    ASSERT_NE(SelectTable(log), nullptr);
    EXPECT_EQ(AppendRefusalResult(Engine().sx_AppendEx()), kReadOnly);
}

TEST_F(RealEngine, AppendWhileAnotherProcessHoldsTheHeaderLockIsRefused) {
#ifndef HAVE_ENGINE_LOCK_LAYOUT
    GTEST_SKIP() << "the engine's lock layout is not in this build";
#else
    CopyShipped("belverinlog");
    const CursorHandle log = Open("belverinlog.DBF", 0, 0);
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Without its own copy of the write end, the child sees the parent's close.
        close(ready[0]);
        close(done[1]);
        const int fd = open((folder + "belverinlog.DBF").c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = static_cast<off_t>(xb::lock_offset::kHeader);
        lock.l_len = 1;
        const char ok = fd >= 0 && fcntl(fd, F_OFD_SETLK, &lock) == 0 ? '1' : '0';
        (void)!write(ready[1], &ok, 1);
        char c;
        (void)!read(done[0], &c, 1);
        _exit(0);
    }
    close(ready[1]);
    close(done[0]);
    // However the test ends, the child is let go and reaped.
    struct Release {
        int done, ready;
        pid_t child;
        ~Release() {
            close(done);
            close(ready);
            int status = 0;
            waitpid(child, &status, 0);
        }
    } release{done[1], ready[0], child};
    char ok = '0';
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    Engine().sx_SetLockTimeout(1);
    ASSERT_NE(SelectTable(log), nullptr);
    EXPECT_EQ(AppendRefusalResult(Engine().sx_AppendEx()), kLockRefused);
#endif
}

// The data set's refresh shows what another process wrote into the current record.
TEST_F(RealEngine, ForceRereadShowsAnotherProcessesEditOfTheCurrentRecord) {
    CopyShipped("belverinlog");
    const CursorHandle log = Open("belverinlog.DBF", 0, 0);
    ASSERT_NE(SelectTable(log), nullptr);
    const EngineApi& e = Engine();
    ASSERT_EQ(e.sx_AppendEx(), 0);
    ASSERT_TRUE(e.sx_Replace("NAAM", SX_R_CHAR, "oud"));
    e.sx_Unlock(0);
    const std::string path = folder + "belverinlog.DBF";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ok = e.sx_Use(path.c_str(), "ander", SX_SHARED, SX_FOX) != 0 &&
                        (e.sx_Go(1), e.sx_Replace("NAAM", SX_R_CHAR, "nieuw"));
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_NE(SelectTable(log), nullptr);
    ASSERT_STREQ(e.sx_GetTrimString("NAAM"), "oud");  // as the record was read
    EXPECT_EQ(DbiForceReread(log), kOk);
    ASSERT_NE(SelectTable(log), nullptr);
    EXPECT_STREQ(e.sx_GetTrimString("NAAM"), "nieuw");
    EXPECT_EQ(e.sx_RecNo(), 1);
}

}  // namespace
}  // namespace xbase::testing
