// kora_wine_harness: the real plug-in, registered and created by its ProgID,
// in a host of this process; GoogleTest runs the stress tests (large inputs,
// the soak). The timing figures are bench/win/timing.cpp's, on the same rig.
#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
