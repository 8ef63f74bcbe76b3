// Runs binding steps named on the command line in one fresh process and prints each result,
// so that every row of the status table starts from a process that never loaded the library.

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "capi/capi_dll.h"
#include "platform/capi2032/capisim.h"

namespace {

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X", v);
    return text;
}

std::string Step(const std::string& step) {
    if (step == "load") {
        capi::LoadCapiDll();
        return std::to_string(capi::CapiDllStatus());
    }
    if (step == "unload") {
        const bool done = capi::UnloadCapiDll();
        return std::string(done ? "true" : "false") + "/" + std::to_string(capi::CapiDllStatus());
    }
    if (step == "kept") {
        return capi::CapiDllHandle() != nullptr ? "yes" : "no";
    }
    if (step == "version") {
        uint32_t v[4] = {};
        const uint32_t r = capi::CAPI_GET_VERSION(&v[0], &v[1], &v[2], &v[3]);
        return r != 0 ? Hex(r) : "0/" + std::to_string(v[0]) + "." + std::to_string(v[1]);
    }
    if (step == "register") {
        uint32_t appl = 0;
        return Hex(capi::CAPI_REGISTER(2048, 1, 2, 128, &appl));
    }
    if (step == "wait") {
        return Hex(capi::CAPI_WAIT_FOR_SIGNAL(4711));  // no such application: never blocks
    }
    if (step == "installed_calls") {
        void* handle = capi::CapiDllHandle();
        auto* count =
            handle == nullptr
                ? nullptr
                : reinterpret_cast<capisim_call_count_fn*>(dlsym(handle, "capisim_call_count"));
        return count == nullptr ? "-" : std::to_string(count(CAPISIM_OP_INSTALLED));
    }
    if (step.starts_with("appear:")) {
        // The library turns up after a failed load, as when the user installs it meanwhile.
        const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        std::filesystem::copy_file(step.substr(7), folder / "libcapi2032.so");
        return "done";
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        line += (i > 1 ? " " : "") + step.substr(0, step.find(':')) + "=" + Step(step);
    }
    std::printf("%s\n", line.c_str());
    return 0;
}
