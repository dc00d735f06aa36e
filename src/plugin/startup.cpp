#include "plugin/startup.h"

#include "errors/handler.h"

namespace kora {
namespace {

void removeAll(std::string& text, std::string_view what) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) text.erase(at, what.size());
}

}  // namespace

std::string basePathFromHost(std::string_view hostExePath) {
    // Split at "\", drop the last element, join again, drop one trailing "\".
    const size_t slash = hostExePath.rfind('\\');
    if (slash == std::string_view::npos) return {};
    std::string base(hostExePath.substr(0, slash + 1));
    base.pop_back();
    return base;
}

std::string basePathForDevelopment(std::string_view pluginFolder) {
    std::string base(pluginFolder);
    removeAll(base, "\\Plugins");
    removeAll(base, "\\plugins");
    removeAll(base, "\\dlls\\Korastand");
    return base;
}

void startUp(Module& module, const StartUpInputs& inputs) {
    Handler handler(module, "SubMain", {});
    handler.run([&] {
        ModuleState& s = module.state;
        s.basePath = inputs.developmentMode ? basePathForDevelopment(inputs.pluginFolder())
                                            : basePathFromHost(inputs.hostExePath());
        s.utility = inputs.createUtility();
        s.codec = inputs.createCodec();
    });
}

}  // namespace kora
