#include "plugin/interface.h"

#include "errors/handler.h"
#include "exchange/channel.h"
#include "form/behaviours.h"

namespace kora {
namespace {

void removeAll(std::string& text, std::string_view what) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at)) text.erase(at, what.size());
}

}  // namespace

std::string basePathFromHost(std::string_view hostExePath) {
    const size_t slash = hostExePath.rfind('\\');
    return std::string(slash == std::string_view::npos ? std::string_view() : hostExePath.substr(0, slash));
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

void loadInterface(Module& module, int32_t index, uint64_t hostWindow, const PdatElement& pdat) {
    Handler handler(module, "LoadInterface", {err::ObjectAlreadyLoaded});
    handler.run([&] {
        ModuleState& s = module.state;
        // The form now belongs to this call's server, whatever step fails below: until
        // this call's fetch went out and its reply arrived, Update sends nothing.
        s.session.serverChanging();
        handler.step([&] {
            if (module.formLoaded()) module.form().showMarks(false);
        });
        handler.step([&] {
            s.hostIndex = index;
            s.serverKey = pdat(0);
        });
        handler.step([&] {
            const std::string edition = pdat(1);
            FormWindow& form = module.form();
            if (edition.find("Affiliate") != std::string::npos) extendPlayersForAffiliate(form);
        });
        handler.step([&] { module.form().setParentWindow(hostWindow); });
        s.session.fetchSending();
        handler.step([&] {
            sendCommand(module, kGetSettings);
            s.session.fetchSent();
        });
        handler.step([&] { module.form().selectTab(0); });
        handler.step([&] { module.form().show(); });
    });
}

}  // namespace kora
