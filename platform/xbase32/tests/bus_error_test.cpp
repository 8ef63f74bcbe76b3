// A table that another program cuts short while this one reads it through its mapping, and
// the process's other bus errors, which the engine must leave to whoever handled them before.
#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "platform/xbase32/tests/child_process.h"
#include "platform/xbase32/tests/engine_fixture.h"

namespace xbtest {
namespace {

// A page of a file of our own that is cut after it was mapped: reading it raises SIGBUS
// outside the engine.
class ForeignCutPage {
  public:
    explicit ForeignCutPage(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd_, 0);
        EXPECT_EQ(::ftruncate(fd_, 8192), 0);
        void* p = ::mmap(nullptr, 8192, PROT_READ, MAP_SHARED, fd_, 0);
        EXPECT_NE(p, MAP_FAILED);
        page_ = static_cast<const volatile char*>(p);
        EXPECT_EQ(::ftruncate(fd_, 0), 0);
    }
    ~ForeignCutPage() {
        ::munmap(const_cast<char*>(page_), 8192);
        ::close(fd_);
    }
    char Touch() const { return page_[4096]; }

  private:
    int fd_ = -1;
    const volatile char* page_ = nullptr;
};

sigjmp_buf* volatile g_ourJump = nullptr;
volatile sig_atomic_t g_ourFaults = 0;
struct sigaction g_beforeOurs {};

void OurBusHandler(int signal, siginfo_t* info, void* context) {
    if (sigjmp_buf* jump = g_ourJump) {
        g_ourFaults = g_ourFaults + 1;
        g_ourJump = nullptr;
        siglongjmp(*jump, 1);
    }
    if ((g_beforeOurs.sa_flags & SA_SIGINFO) != 0 && g_beforeOurs.sa_sigaction != nullptr) {
        g_beforeOurs.sa_sigaction(signal, info, context);
    }
}

// Touches the cut page under our own handler's jump; true when our handler took the fault.
bool FaultReachesOurHandler(const ForeignCutPage& page) {
    sigjmp_buf jump;
    if (sigsetjmp(jump, 1) != 0) {
        return true;
    }
    g_ourJump = &jump;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    (void)page.Touch();
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_ourJump = nullptr;
    return false;
}

class BusErrorTest : public EngineTest {
  protected:
    // A shared open of 2,000 wide records, read once through the mapping, then cut by
    // "another program" to its header and a few records.
    std::string OpenAndCut() {
        const std::string path = Create("kort.DBF", "ID:C:8,PAD:C:240");
        Open(path, SX_SHARED);
        for (int i = 0; i < 2000; ++i) {
            AppendTexts({"r" + std::to_string(i)});
        }
        sx_Unlock(0);
        sx_Go(1500);
        EXPECT_STREQ(sx_GetTrimString("ID"), "r1499");
        std::filesystem::resize_file(path, 1000);
        return path;
    }

    // Every read of a record past the cut fails with the engine's error; the ones before it
    // still read.
    static void CutRecordsFailEveryTime(int rounds) {
        for (int round = 0; round < rounds; ++round) {
            SCOPED_TRACE(round);
            sx_Go(1800 - round);
            EXPECT_NE(std::string(sx_LastErrorText()), "");
            sx_Go(1);
            EXPECT_EQ(sx_RecNo(), 1);
            EXPECT_STREQ(sx_GetTrimString("ID"), "r0");
        }
    }
};

TEST_F(BusErrorTest, EveryReadOfACutTableFailsInsteadOfEndingTheProcess) {
    OpenAndCut();
    CutRecordsFailEveryTime(20);
}

TEST_F(BusErrorTest, ABusErrorThatIsNotTheEnginesReachesTheHandlerBeforeItEveryTime) {
    struct sigaction ours {};
    ours.sa_sigaction = OurBusHandler;
    ours.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&ours.sa_mask);
    ASSERT_EQ(sigaction(SIGBUS, &ours, &g_beforeOurs), 0);
    g_ourFaults = 0;

    OpenAndCut();  // the engine's own handler now stands in front of ours
    const ForeignCutPage page(Path("elders.bin"));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(FaultReachesOurHandler(page));
        CutRecordsFailEveryTime(2);
    }
    EXPECT_EQ(g_ourFaults, 3);
    sx_CloseAll();
    sigaction(SIGBUS, &g_beforeOurs, nullptr);
}

TEST_F(BusErrorTest, ABusErrorThatNobodyHandlesStillEndsTheProcess) {
    const std::string foreign = Path("elders.bin");
    const std::string readsDone = Path("gelezen");
    const pid_t child = Spawn([&] {
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigaction(SIGBUS, &fallback, nullptr);
        OpenAndCut();
        CutRecordsFailEveryTime(2);
        std::ofstream(readsDone) << "ok";  // the engine's own faults did not end it
        const ForeignCutPage page(foreign);
        (void)page.Touch();
        return 0;
    });
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGBUS);
    EXPECT_TRUE(std::filesystem::exists(readsDone));
}

}  // namespace
}  // namespace xbtest
