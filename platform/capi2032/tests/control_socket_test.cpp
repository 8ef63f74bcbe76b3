#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/capi2032/tests/child_process.h"

namespace capisim_test {
namespace {

// A registered test client in its own process, on a socket in a folder of its own.
class ControlSocketTest : public ::testing::Test {
  protected:
    void SetUp() override {
        socket_ = folder_.path() + "/line.sock";
        env_ = BaseEnvironment();
        env_.push_back("CAPISIM_SOCKET=" + socket_);
    }
    std::unique_ptr<Child> StartClient(const std::vector<std::string>& env) {
        auto client = std::make_unique<Child>(TEST_CLIENT, std::vector<std::string>{}, env);
        EXPECT_TRUE(client->ReadLine().starts_with("ready "));
        return client;
    }
    ChildResult Capisim(const std::vector<std::string>& args) {
        return RunChild(CAPISIM_COMMAND, args, env_);
    }
    // Sends raw bytes to the socket and returns the answer.
    std::string Raw(const std::string& bytes) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, socket_.c_str());
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
        shutdown(fd, SHUT_WR);
        std::string reply;
        char buffer[512];
        ssize_t n = 0;
        while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
            reply.append(buffer, static_cast<size_t>(n));
        }
        close(fd);
        return reply;
    }

    TempDir folder_;
    std::string socket_;
    std::vector<std::string> env_;
};

bool IsOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

TEST_F(ControlSocketTest, RingsARegisteredClient) {
    auto client = StartClient(env_);
    struct stat st {};
    ASSERT_EQ(stat(socket_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ChildResult status = Capisim({"status"});
    EXPECT_EQ(status.exit_code, 0) << status.err;
    EXPECT_NE(status.out.find("applications: 1"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("listening on controller 1, CIP mask 0x1FFF03FE"), std::string::npos);

    ChildResult call = Capisim({"call", "0301234567", "5551234", "--cip", "1"});
    EXPECT_EQ(call.exit_code, 0) << call.err;
    EXPECT_EQ(call.out, "call offered to 1 application(s)\n");
    EXPECT_EQ(client->ReadLine(), "call 0301234567 5551234 cip 1");
    EXPECT_EQ(client->ReadLine(), "disconnect 0000");

    EXPECT_EQ(Capisim({"call", "--no-number", "5551234"}).exit_code, 0);
    EXPECT_EQ(client->ReadLine(), "call - 5551234 cip 16");
    EXPECT_EQ(client->ReadLine(), "disconnect 0000");

    ChildResult transcript = Capisim({"transcript"});
    EXPECT_EQ(transcript.exit_code, 0);
    for (const char* seen : {"LISTEN_REQ", "LISTEN_CONF", "CONNECT_IND", "CONNECT_RESP",
                             "DISCONNECT_IND", "DISCONNECT_RESP"}) {
        EXPECT_NE(transcript.out.find(seen), std::string::npos) << seen;
    }

    // Both calls were left to other terminals and still ring there until the caller gives up.
    EXPECT_EQ(Capisim({"hangup"}).out, "the caller hung up; 0 connection(s) cleared\n");
    EXPECT_EQ(Capisim({"hangup"}).out, "the caller hung up; 0 connection(s) cleared\n");
    ChildResult none = Capisim({"elsewhere"});
    EXPECT_EQ(none.exit_code, 1);
    EXPECT_EQ(none.err, "error: no call on the line\n");

    client->CloseInput();
    EXPECT_EQ(client->Wait(), 0);
    EXPECT_NE(access(socket_.c_str(), F_OK), 0) << "no socket without a registered application";
    ChildResult gone = Capisim({"status"});
    EXPECT_EQ(gone.exit_code, 2);
    EXPECT_TRUE(IsOneLine(gone.err)) << gone.err;
}

TEST_F(ControlSocketTest, BadInputGetsAOneLineError) {
    auto client = StartClient(env_);
    struct Case {
        std::vector<std::string> args;
        int exit_code;
        const char* starts;
    } cases[] = {
        {{"call", "03x1", "5551234"}, 1, "error: a number"},
        {{"call", "0301234567"}, 1, "error: usage"},
        {{"call", "1", "2", "3"}, 1, "error: usage"},
        {{"call", "1", "2", "--cip", "64"}, 1, "error: --cip"},
        {{"call", "1", "2", "--cip"}, 1, "error: --cip"},
        {{"call", "1", "2", "--loud"}, 1, "error: usage"},
        {{"call", std::string(33, '1'), "2"}, 1, "error: a number"},
        {{"status", "now"}, 1, "error: status takes no arguments"},
        {{"release"}, 1, "error: unknown command"},
        {{"call", "03 01", "5"}, 2, "capisim: arguments"},
        {{}, 2, "usage: capisim"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.front() + " ...");
        ChildResult r = Capisim(c.args);
        EXPECT_EQ(r.exit_code, c.exit_code);
        EXPECT_TRUE(r.err.starts_with(c.starts)) << r.err;
        if (c.exit_code == 1) {
            EXPECT_TRUE(IsOneLine(r.err)) << r.err;
        }
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Raw("status\nhangup\n"), "error: one command per connection\n");
    EXPECT_EQ(Raw("call 1 2\x01\n"), "error: the command holds a control character\n");
    EXPECT_EQ(Raw(std::string(5000, 'x')), "error: the command is too long\n");
    EXPECT_EQ(Raw("\n"),
              "error: no command; commands: call, hangup, elsewhere, transcript, status\n");
    EXPECT_TRUE(client->ReadLine(200).empty()) << "no bad command reached the line";
}

struct PathCase {
    const char* name;
    bool xdg;
};

std::ostream& operator<<(std::ostream& os, const PathCase& c) {
    return os << c.name;
}

class SocketPlaceTest : public ControlSocketTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(SocketPlaceTest, FollowsTheEnvironment) {
    std::vector<std::string> env = BaseEnvironment();
    std::string expected;
    if (GetParam().xdg) {
        env.push_back("XDG_RUNTIME_DIR=" + folder_.path());
        expected = folder_.path() + "/capisim.sock";
    } else {
        // The last fallback, in a temporary folder of the test's own rather than the /tmp that
        // a running monitor's line may hold.
        env.push_back("TMPDIR=" + folder_.path());
        expected = folder_.path() + "/capisim-" + std::to_string(getuid()) + "/capisim.sock";
    }
    auto client = StartClient(env);
    struct stat st {};
    ASSERT_EQ(lstat(expected.c_str(), &st), 0) << expected;
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    if (!GetParam().xdg) {
        struct stat folder {};
        ASSERT_EQ(stat((folder_.path() + "/capisim-" + std::to_string(getuid())).c_str(), &folder),
                  0);
        EXPECT_EQ(folder.st_mode & 0777, 0700u);
    }
    ChildResult status = RunChild(CAPISIM_COMMAND, {"status"}, env);
    EXPECT_EQ(status.exit_code, 0) << status.err;
    client->CloseInput();
    EXPECT_EQ(client->Wait(), 0);
    EXPECT_NE(lstat(expected.c_str(), &st), 0);
}

INSTANTIATE_TEST_SUITE_P(Places, SocketPlaceTest,
                         ::testing::Values(PathCase{"RuntimeFolder", true},
                                           PathCase{"OwnTmpFolder", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace capisim_test
