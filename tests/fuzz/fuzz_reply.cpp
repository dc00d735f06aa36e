// Any bytes as the answer to GetSettingsRem. RemoteData never crashes, and a
// reply lands whole or not at all: after a failure the form is exactly as it
// was; after success every part of the reply is on the form, and the same
// reply a second time changes nothing.
#include "fuzz_support.h"

using namespace kora;

namespace {

bool reported(const fuzz::Loaded& l) { return l.rig.utility->failures > 0; }

// The parts of a reply that need no decoding, read independently of the decoder.
void checkRolesWeaponsAndAutoLoad(const Form& form, const std::string& reply) {
    const auto sections = check::splitAll(reply, "[-]");
    const auto roles = check::splitAll(sections.at(1), "|");
    for (int i = 0; i < 5; ++i)
        if (form.itemSelected(Control::lstRoles, i) != (roles.at(static_cast<size_t>(i)) == "1"))
            fuzz::broken("role " + std::to_string(i) + " does not follow its flag", reply);
    int weapons = 0;
    for (const auto& entry : check::splitAll(sections.at(2), "|")) {
        if (check::blank(entry)) continue;
        const auto pieces = check::splitAll(entry, ",");
        const auto name = suite::decodeBase64(pieces.at(0));
        if (!name || !suite::isValidUtf8(*name))
            fuzz::broken("a reply with a weapon name Dec64 refuses was applied", reply);
        if (weapons >= form.itemCount(Control::lstWeapons) || form.itemText(Control::lstWeapons, weapons) != *name ||
            form.itemSelected(Control::lstWeapons, weapons) != (pieces.at(1) != "0"))
            fuzz::broken("weapon " + std::to_string(weapons) + " is not the reply's", reply);
        ++weapons;
    }
    if (weapons != form.itemCount(Control::lstWeapons)) fuzz::broken("the weapon list has extra entries", reply);
    if (form.checkValue(Control::chkAutoLoad) != (sections.at(3) == "1" ? 1 : 0))
        fuzz::broken("chkAutoLoad does not follow the reply", reply);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::Loaded loaded;
    MemoryForm& form = loaded.reset();
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const std::string before = sample::snapshot(form);

    remoteData(loaded.rig.module, reply);
    const ModuleState& s = loaded.rig.module.state;
    const std::string after = sample::snapshot(form);
    if (reply.empty()) {
        if (!s.session.noData() || loaded.rig.boxes->last != "Failed!: No Data Recieved!")
            fuzz::broken("an empty answer is not reported as no data");
        fuzz::requireSameForm("an empty answer changed the form", before, after);
        return 0;
    }
    if (s.session.noData()) fuzz::broken("a non-empty answer left NoDataReceived set");
    if (reported(loaded)) {
        if (s.session.updateMaySend()) fuzz::broken("a failed reply still counts as the server's settings");
        if (!loaded.rig.boxes->last.starts_with("DLL Error!: "))
            fuzz::broken("a failed reply shows " + loaded.rig.boxes->last);
        fuzz::requireSameForm("a failed reply changed the form", before, after);
        return 0;
    }
    if (loaded.rig.boxes->count != 0) fuzz::broken("a decoded reply shows " + loaded.rig.boxes->last);
    if (!s.session.updateMaySend()) fuzz::broken("a decoded reply does not count as the server's settings");
    checkRolesWeaponsAndAutoLoad(form, reply);
    remoteData(loaded.rig.module, reply);
    if (reported(loaded)) fuzz::broken("a reply decoded once fails the second time");
    fuzz::requireSameForm("the same reply twice gave another form", after, sample::snapshot(form));
    return 0;
}
