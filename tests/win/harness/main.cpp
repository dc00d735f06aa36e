// kora_wine_harness: the real plug-in, registered and created by its ProgID,
// in a host of this process. `--timing [RUNS]` prints the timing figures;
// otherwise GoogleTest runs the stress tests (large inputs, the soak).
#include <gtest/gtest.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>

#include "timing.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--timing") == 0) {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
        const int runs = argc >= 3 ? std::atoi(argv[2]) : 11;
        const int status = kora::harness::runTiming(runs > 0 ? runs : 11);
        CoUninitialize();
        return status;
    }
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
