// The host stand-in: loads the plug-in by its ProgID, as the remote client
// does, reads its descriptor and owns the relay window through which the
// utility component hands over requests.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "base/raii_win.h"
#include "relay_win.h"
#include "zelrcKORA_h.h"

namespace kora::suite {

// The descriptor as "Field: value" lines (arrays as "[a, b]", booleans
// True/False, Empty variants as "Empty"), each ending in "\n".
std::string describeDescriptor(const PLUGIN& descriptor);

class HostApp {
public:
    explicit HostApp(std::FILE* out);

    // Creates the plug-in; false (with a message) when it cannot.
    bool loadPlugin();
    // Prints GetData's fields and dllVersion; false when a call fails.
    bool printDescriptor();

    const std::vector<RelayRequest>& requests() const noexcept { return requests_; }
    _clsPlugin* plugin() const noexcept { return plugin_.get(); }

    void print(std::string_view utf8);

private:
    bool onRequest(const RelayRequest& request);

    std::FILE* out_;
    std::vector<RelayRequest> requests_;
    RelayWindow relay_;
    win::ComPtr<_clsPlugin> plugin_;
};

}  // namespace kora::suite
