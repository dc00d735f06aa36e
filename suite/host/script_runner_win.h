// The host stand-in's script mode: the host as the remote client is to the
// plug-in (it creates clsPlugin by ProgID, owns the top-level window the form
// lives in, passes privileges, relays requests and hands answers back), driven
// one command a line, printing what happens as events. The language is
// described in README.md ("Script mode"); its portable part is
// suite/lib/script_language.h.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace kora::suite {

struct ScriptOptions {
    std::wstring script = L"-";  // the script file; "-" reads `in`
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    uint16_t serverPort = 0;  // the server side for `relay on`; 0: none (every answer empty)
    std::chrono::milliseconds relayTimeout{5000};
};

// The script mode's command line:
//   --script FILE|- [--server PORT] [--relay-timeout MS]
// nullopt without --script, or (with `error` set) when the line is wrong.
std::optional<ScriptOptions> scriptOptions(int argc, wchar_t** argv, std::string& error);

// Runs the script to its end or to `quit`; 0 when the host could start (the
// plug-in created), whatever the commands did.
int runScript(const ScriptOptions& options);

}  // namespace kora::suite
