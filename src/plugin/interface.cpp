#include "plugin/interface.h"

#include "errors/handler.h"
#include "exchange/channel.h"
#include "form/behaviours.h"

namespace kora {

void loadInterface(Module& module, int32_t index, uint64_t hostWindow, const PdatElement& pdat) {
    Handler handler(module, "LoadInterface", {err::ObjectAlreadyLoaded});
    handler.run([&] {
        ModuleState& s = module.state;
        handler.step([&] {
            s.hostIndex = index;
            s.serverKey = pdat(0);
        });
        // The form now belongs to this server; until its reply arrives, Update must not
        // send what the form holds from before.
        s.haveServerSettings = false;
        handler.step([&] {
            const std::string edition = pdat(1);
            FormWindow& form = module.form();
            form.dropBaseline();  // the marks wait for this server's values
            if (edition.find("Affiliate") != std::string::npos) extendPlayersForAffiliate(form);
        });
        handler.step([&] { module.form().setParentWindow(hostWindow); });
        s.replyMode = ReplyMode::LoadForm;
        handler.step([&] { sendCommand(module, kGetSettings); });
        handler.step([&] { module.form().selectTab(0); });
        handler.step([&] { module.form().show(); });
    });
}

void hideInterface(Module& module) { module.form().hide(); }

}  // namespace kora
