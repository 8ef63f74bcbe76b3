#include <dlfcn.h>

#include <gtest/gtest.h>

#include "capi/capi_dll.h"
#include "monitor/settings_ports.h"
#include "platform/capi2032/capisim.h"

namespace monitor {
namespace {

// The binding loads the simulated line from beside this program, as the monitor does.
TEST(CapiVersion, ReadsTheLineOnlyWhenTheBindingIsLoaded) {
    ASSERT_EQ(capi::CapiDllStatus(), capi::kCapiDllNotLoaded);
    const CapiVersie voor = LeesCapiVersie();
    EXPECT_FALSE(voor.geladen);
    EXPECT_FALSE(voor.status.empty());

    capi::LoadCapiDll();
    ASSERT_EQ(capi::CapiDllStatus(), capi::kCapiDllInstalled);
    auto* zet = reinterpret_cast<capisim_set_version_fn*>(
        dlsym(capi::CapiDllHandle(), "capisim_set_version"));
    auto* tel = reinterpret_cast<capisim_call_count_fn*>(
        dlsym(capi::CapiDllHandle(), "capisim_call_count"));
    ASSERT_NE(zet, nullptr);
    ASSERT_NE(tel, nullptr);
    zet(2, 0, 4, 12);
    const CapiVersie v = LeesCapiVersie();
    EXPECT_TRUE(v.geladen);
    EXPECT_EQ(v.info, 0u);
    EXPECT_EQ(v.capiMajor, 2u);
    EXPECT_EQ(v.capiMinor, 0u);
    EXPECT_EQ(v.fabrikantMajor, 4u);
    EXPECT_EQ(v.fabrikantMinor, 12u);
}

}  // namespace
}  // namespace monitor
