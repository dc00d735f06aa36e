#include "plugin/interface.h"

#include "errors/handler.h"
#include "exchange/channel.h"
#include "form/behaviours.h"

namespace kora {

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

void hideInterface(Module& module) { module.form().hide(); }

}  // namespace kora
