// korastand-host.exe: loads the plug-in as the remote client would and prints
// its descriptor (UTF-8 on standard output). Exit code 0 when it all worked.
// With --script it runs the script mode instead (script_runner_win.h).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "host_app_win.h"
#include "script_runner_win.h"

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 bytes as they are
    _setmode(_fileno(stdin), _O_BINARY);   // scripts too; a CR before LF is dropped by the reader
    kora::win::ComApartment apartment;
    if (FAILED(apartment.result())) {
        std::fputs("cannot initialise COM\n", stderr);
        return 2;
    }
    try {
        std::string error;
        if (const auto script = kora::suite::scriptOptions(argc, argv, error)) return kora::suite::runScript(*script);
        if (!error.empty()) {
            std::fprintf(stderr,
                         "korastand-host: %s\n"
                         "usage: korastand-host [--script FILE|- [--server PORT] [--relay-timeout MS]]\n",
                         error.c_str());
            return 2;
        }
        kora::suite::HostApp host(stdout);
        if (!host.loadPlugin()) return 1;
        return host.printDescriptor() ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korastand-host: %s\n", e.what());
        return 2;
    }
}
