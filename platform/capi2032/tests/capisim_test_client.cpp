// A registered application for the control-socket tests: it prints each call it is offered,
// leaves the call to other terminals, and releases when its input closes.

#include <unistd.h>

#include <cstdio>
#include <thread>

#include "platform/capi2032/capi2032.h"
#include "platform/capi2032/tests/capi_bytes.h"

using capisim_test::MessageReader;

namespace {

uint32_t Put(uint32_t appl, std::vector<uint8_t> message) {
    return CAPI_PUT_MESSAGE(appl, message.data());
}

void Receive(uint32_t appl) {
    for (;;) {
        if (CAPI_WAIT_FOR_SIGNAL(appl) != 0) {
            return;
        }
        void* message = nullptr;
        if (CAPI_GET_MESSAGE(appl, &message) != 0) {
            continue;
        }
        MessageReader m(message);
        const auto a = static_cast<uint16_t>(appl);
        if (m.Command() == 0x0282) {
            const unsigned cip = m.NextWord();
            const std::string called = m.NextStruct();
            const std::string calling = m.NextStruct();
            std::printf("call %s %s cip %u\n", calling.size() > 2 ? calling.c_str() + 2 : "-",
                        called.size() > 1 ? called.c_str() + 1 : "-", cip);
            Put(appl, capisim_test::ConnectResp(a, m.Address(), 1));
        } else if (m.Command() == 0x0482) {
            std::printf("disconnect %04X\n", m.NextWord());
            Put(appl, capisim_test::Plain(a, 0x0483, m.Address()));
        }
        std::fflush(stdout);
    }
}

}  // namespace

int main() {
    alarm(60);  // never outlives a broken test
    uint32_t appl = 0;
    if (CAPI_REGISTER(2048, 1, 2, 128, &appl) != 0 ||
        Put(appl, capisim_test::ListenReq(static_cast<uint16_t>(appl), 1, 0x1FFF03FE)) != 0) {
        std::printf("register failed\n");
        return 1;
    }
    std::thread receiver(Receive, appl);
    std::printf("ready %u\n", appl);
    std::fflush(stdout);
    char buffer[64];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    const uint32_t released = CAPI_RELEASE(appl);
    receiver.join();
    return released == 0 ? 0 : 1;
}
