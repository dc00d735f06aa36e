// Which answer the server owes and whether the form holds settings that Update
// may send: one state, changed only by the events below, so that answers that
// arrive late and clicks that come early are read the same way in any order.
#pragma once

#include <cstdint>
#include <utility>

namespace kora {

class Session {
public:
    // What the next non-empty answer is read as: nothing before the first
    // LoadInterface, the settings reply it fetched, or an update's confirmation.
    enum class Awaiting : uint8_t { Nothing, Settings, Confirmation };

    Awaiting awaiting() const { return awaiting_; }
    // The last answer was empty: Update, Save and Select All / None refuse.
    bool noData() const { return noData_; }
    // Update sends only what one LoadInterface fetched for the server it
    // named, decoded since, with no empty answer after it. The marks are shown
    // exactly then: what Update would do is what they announce.
    bool updateMaySend() const { return decoded_ && !noData_; }

    // LoadInterface began: HostIndex or ServerKey may change from here on, so
    // nothing on the form belongs to them until this call's fetch went out
    // and its reply was decoded. A new form holds nothing either.
    void serverChanging() { fetched_ = decoded_ = false; }
    void formReplaced() { decoded_ = false; }
    // The fetch is about to be sent: its answer is awaited.
    void fetchSending() { awaiting_ = Awaiting::Settings; }
    void fetchSent() { fetched_ = true; }
    void answered(bool empty) { noData_ = empty; }
    // A settings answer was decoded onto the form, or failed and left none.
    void settingsDecoded(bool complete) { decoded_ = complete && fetched_; }
    // An update goes out; on failure the answer awaited before stays awaited.
    Awaiting updateSending() { return std::exchange(awaiting_, Awaiting::Confirmation); }
    void updateNotSent(Awaiting before) { awaiting_ = before; }

private:
    Awaiting awaiting_ = Awaiting::Nothing;
    bool noData_ = false;
    bool fetched_ = false;
    bool decoded_ = false;
};

}  // namespace kora
