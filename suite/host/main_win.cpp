// korastand-host.exe: loads the plug-in as the remote client would and prints
// its descriptor (UTF-8 on standard output). Exit code 0 when it all worked.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "host_app_win.h"

int wmain() {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 bytes as they are
    kora::win::ComApartment apartment;
    if (FAILED(apartment.result())) {
        std::fputs("cannot initialise COM\n", stderr);
        return 2;
    }
    try {
        kora::suite::HostApp host(stdout);
        if (!host.loadPlugin()) return 1;
        return host.printDescriptor() ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korastand-host: %s\n", e.what());
        return 2;
    }
}
