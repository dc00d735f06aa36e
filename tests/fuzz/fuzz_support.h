// What the fuzz targets share: a module whose form holds the stock server's reply, and the way
// a broken invariant is reported (both form dumps, then abort, so libFuzzer
// keeps the input).
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "../unit/request_checks.h"
#include "../unit/samples.h"
#include "../unit/fakes.h"
#include "exchange/reply.h"
#include "server_settings.h"

namespace kora::fuzz {

[[noreturn]] inline void broken(const std::string& what, const std::string& detail = {}) {
    std::fprintf(stderr, "\n*** invariant broken: %s\n%s\n", what.c_str(), detail.c_str());
    std::abort();
}

// The lines of two form dumps that differ, side by side.
inline std::string differences(const std::string& before, const std::string& after) {
    std::istringstream a(before), b(after);
    std::string out, x, y;
    for (;;) {
        const bool moreBefore = static_cast<bool>(std::getline(a, x));
        const bool moreAfter = static_cast<bool>(std::getline(b, y));
        if (!moreBefore && !moreAfter) break;
        if (x != y) out += "  before: " + x + "\n  after:  " + y + "\n";
        x.clear();
        y.clear();
    }
    return out;
}

inline void requireSameForm(const std::string& what, const std::string& before, const std::string& after) {
    if (before != after) broken(what, differences(before, after));
}

// One module for the whole run; `reset` puts back the form that the stock
// server's reply leaves, so every input starts from the same state. Sending
// that reply again is far cheaper than copying the form with its 2,200 list
// items, and it restores everything an input can change but the two settings
// a reply does not carry and an extended player list.
struct Loaded {
    fake::Rig rig{fake::Recording::Off};
    std::string reply = suite::settingsReply(suite::defaultServer());
    MemoryForm pristine;
    std::string pristineDump;

    Loaded() {
        fake::fetched(rig.module);
        remoteData(rig.module, reply);
        if (!rig.module.state.session.updateMaySend()) broken("the stock reply does not decode");
        pristine = rig.form();
        pristineDump = sample::snapshot(pristine);
    }
    MemoryForm& reset() {
        MemoryForm& form = rig.form();
        ModuleState& s = rig.module.state;
        fake::fetched(rig.module);
        if (form.itemCount(Control::savPlayers) != pristine.itemCount(Control::savPlayers)) {
            form = pristine;
        } else {
            remoteData(rig.module, reply);
            for (Control c : {Control::savSniperScope, Control::savChangeTeams})
                form.setCheckValue(c, pristine.checkValue(c));
        }
        requireSameForm("the form did not reset", pristineDump, sample::snapshot(form));
        s.session.answered(false);
        s.session.settingsDecoded(true);
        rig.boxes->count = 0;
        rig.boxes->last.clear();
        rig.utility->failures = 0;
        rig.utility->lastRequest.clear();
        rig.utility->ini.clear();
        return form;
    }
};

}  // namespace kora::fuzz
