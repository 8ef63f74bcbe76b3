#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "capi/capi_decode_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto fault = capi::CheckDecode({data, size})) {
        std::fprintf(stderr, "decode fault: %s\n", fault->c_str());
        std::abort();
    }
    return 0;
}
