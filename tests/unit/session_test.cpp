// Host calls and admin acts in any order, against a model of the session
// written in terms of servers: which server's settings the form holds, which
// answer is awaited. Every step checks the requests sent, the boxes shown and
// the marks; a failing sequence shrinks to the shortest that still fails.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>

#include <functional>

#include "exchange/update.h"
#include "form/marks.h"
#include "plugin/interface.h"
#include "profiles/profiles.h"
#include "samples.h"

namespace kora {
namespace {

using enum Control;

constexpr const char* kProfile = "C:\\p.ssf";
const std::string kNotice =
    "Failed!: There seems to have been a problem collecting data!\r\n\r\n"
    "Unable to update server settings!";

std::string serverName(int server) { return server ? "Server " + std::to_string(server) : "Duskwater One"; }
std::string settingsOf(int server) {
    auto fields = sample::general();
    fields[0] = sample::enc(serverName(server));
    return sample::reply(fields);
}
const std::string kMessage = "Welcome\r\nPlay fair";  // every server's, as sample::general() has it

struct Model {
    enum class Awaiting { Nothing, Settings, Confirmation } awaiting = Awaiting::Nothing;
    bool noData = false;
    int fetchedFor = 0;  // the server the last LoadInterface sent its fetch to (0: it sent none)
    int onForm = 0;      // the server whose settings were decoded after that fetch (0: none)
    int lastFetch = 0;   // the server any fetch last went to: the one that answers
    std::string name, message, serverName, serverMessage, sentName, sentMessage;
    bool timeOff = false;  // savTime holds a value Update corrects
    bool mayUpdate() const { return onForm && !noData; }
};

struct Sut {
    fake::Rig rig;
    Sut() {
        rig.form();
        for (const char* folder : {"C:\\Suite\\profiles\\1", "C:\\Suite\\profiles\\2"})
            rig.files->addFolderTree(folder);
        rig.utility->ini[kProfile] = profileText();
        rig.dialogs->answer = kProfile;
    }
    // A profile saved from the first server's form with a message of its own.
    static std::string profileText() {
        fake::Rig saver;
        sample::receive(saver, settingsOf(0));
        saver.form().setText(savMessage, "from profile");
        saver.dialogs->answer = kProfile;
        onSaveMouseUp(saver.module, 1);
        return saver.utility->ini.at(kProfile);
    }
};

using Cmd = rc::state::Command<Model, Sut>;

// Runs one step: what it sends and shows, then the marks, against the model after it.
void check(const Cmd& cmd, const Model& before, Sut& sut, const std::function<void()>& act,
           const std::vector<std::string>& requests, const std::vector<std::string>& boxes) {
    fake::Rig& rig = sut.rig;
    rig.utility->written.clear();
    rig.boxes->shown.clear();
    act();
    std::vector<std::string> sent, shown;
    for (const auto& [path, text] : rig.utility->written) sent.push_back(text);
    for (const fake::Box& b : rig.boxes->shown)
        shown.push_back(b.title == "DLL Error!" ? b.title : b.title + ": " + b.text);
    RC_ASSERT(sent == requests);
    RC_ASSERT(shown == boxes);
    Model after = before;
    cmd.apply(after);
    const Form& form = rig.form();
    const auto mark = [&](Control c) { return markOf(form, form.baseline(), c); };
    if (!after.mayUpdate()) {
        for (Control c : markedControls()) RC_ASSERT(!mark(c).shown());
        return;
    }
    RC_ASSERT(mark(savServerName).changed == (after.name != after.serverName));
    RC_ASSERT(mark(savMessage).changed == (after.message != after.serverMessage));
    RC_ASSERT(mark(savTime).corrected() == after.timeOff);
    RC_ASSERT(!mark(savGamePort).changed);
}

struct Load : Cmd {
    enum Ends { Completes, NoArray, NoEdition, FetchFails };
    int server = *rc::gen::inRange(1, 3);
    Ends ends = *rc::gen::element(Completes, Completes, NoArray, NoEdition, FetchFails);

    void apply(Model& m) const override {
        m.fetchedFor = m.onForm = 0;
        if (ends == Completes || ends == FetchFails) m.awaiting = Model::Awaiting::Settings;
        if (ends == Completes) m.fetchedFor = m.lastFetch = server;
    }
    void run(const Model& m, Sut& sut) const override {
        const auto pdat = [this](int i) -> std::string {
            if (ends == NoArray || (ends == NoEdition && i == 1)) throw RunError(ends == NoArray ? 13 : 9, "PDAT", 0);
            return i == 0 ? "k" + std::to_string(server) : "Duskwater V1.7.5.7";
        };
        if (ends == FetchFails) sut.rig.utility->faults.add("WriteFile", err::PathFileAccess);
        std::vector<std::string> requests, boxes{"DLL Error!"};
        if (ends == Completes) {
            requests = {"Plugin_zelKORA_GetSettingsRem_k" + std::to_string(server) + "_VB6_" + std::to_string(server)};
            boxes.clear();
        }
        check(
            *this, m, sut, [&] { loadInterface(sut.rig.module, server, 1, pdat); }, requests, boxes);
        sut.rig.utility->faults.clear();
    }
    void show(std::ostream& os) const override { os << "load " << server << " ends " << ends; }
};

struct Answer : Cmd {
    enum Kind { Settings, Empty, One, Zero, Damaged };
    Kind kind = *rc::gen::element(Settings, Settings, Empty, One, One, Zero, Damaged);

    std::string text(const Model& m) const {
        auto damaged = sample::general();
        damaged.pop_back();
        switch (kind) {
        case Settings: return settingsOf(m.lastFetch);
        case Empty: return "";
        case One: return "1";
        case Zero: return "0";
        case Damaged: return sample::reply(damaged);
        }
        return {};
    }
    void apply(Model& m) const override {
        m.noData = kind == Empty;
        if (kind == Empty) return;
        if (m.awaiting == Model::Awaiting::Confirmation && kind == One) {
            m.serverName = m.sentName;
            m.serverMessage = m.sentMessage;
        } else if (m.awaiting == Model::Awaiting::Settings) {
            m.onForm = 0;
            if (kind != Settings) return;
            m.onForm = m.fetchedFor;
            m.name = m.serverName = serverName(m.lastFetch);
            m.message = m.serverMessage = kMessage;
            m.timeOff = false;
        }
    }
    void run(const Model& m, Sut& sut) const override {
        std::vector<std::string> boxes;
        if (kind == Empty)
            boxes = {"Failed!: No Data Recieved!"};
        else if (m.awaiting == Model::Awaiting::Confirmation)
            boxes = {kind == One ? "Success: Server Settings Updated." : "Failed!: Could Not Update Server Settings!"};
        else if (m.awaiting == Model::Awaiting::Settings && kind != Settings)
            boxes = {"DLL Error!"};
        check(
            *this, m, sut, [&] { remoteData(sut.rig.module, text(m)); }, {}, boxes);
    }
    void show(std::ostream& os) const override { os << "answer " << kind; }
};

struct Edit : Cmd {
    enum What { Message, TimeOff, TimeOn, Port };
    What what = *rc::gen::element(Message, TimeOff, TimeOn, Port);
    std::string message = "edit " + std::to_string(*rc::gen::inRange(0, 3));

    void apply(Model& m) const override {
        if (what == Message) m.message = message;
        if (what == TimeOff || what == TimeOn) m.timeOff = what == TimeOff;
    }
    void run(const Model& m, Sut& sut) const override {
        check(*this, m, sut,
              [&] {
                  Form& form = sut.rig.form();
                  switch (what) {
                  case Message: form.setText(savMessage, message); break;
                  case TimeOff: form.setText(savTime, "101"); break;
                  case TimeOn: form.setText(savTime, "45"); break;
                  case Port: form.setText(savGamePort, "1"); break;
                  }
              },
              {}, {});
    }
    void show(std::ostream& os) const override { os << "edit " << what << " " << message; }
};

struct Update : Cmd {
    void apply(Model& m) const override {
        if (!m.mayUpdate()) return;
        m.awaiting = Model::Awaiting::Confirmation;
        m.timeOff = false;
        m.sentName = m.name;
        m.sentMessage = m.message;
    }
    void run(const Model& m, Sut& sut) const override {
        std::vector<std::string> requests, boxes{kNotice};
        if (m.mayUpdate()) {
            const std::string s = std::to_string(m.onForm);
            requests = {"Plugin_zelKORA_SetSettingsRem_k" + s + "_VB6_" + s + "_" + sample::enc(m.name) + "|"};
            boxes.clear();
        }
        check(
            *this, m, sut,
            [&] {
                onUpdateMouseUp(sut.rig.module, 1);
                // The request up to its first field: the server it goes to and the name it gives.
                auto& written = sut.rig.utility->written;
                for (auto& w : written) w.second.resize(std::min(w.second.size(), w.second.find('|') + 1));
            },
            requests, boxes);
    }
    void show(std::ostream& os) const override { os << "update"; }
};

struct ProfileLoad : Cmd {
    void apply(Model& m) const override {
        m.name = serverName(0);
        m.message = "from profile";
        m.timeOff = false;
    }
    void run(const Model& m, Sut& sut) const override {
        check(*this, m, sut, [&] { onLoadMouseUp(sut.rig.module, 1); }, {}, {"Success: Server Settings Loaded."});
    }
    void show(std::ostream& os) const override { os << "profile load"; }
};

struct Hide : Cmd {
    void run(const Model& m, Sut& sut) const override {
        check(*this, m, sut, [&] { sut.rig.module.form().hide(); }, {}, {});
    }
    void show(std::ostream& os) const override { os << "hide"; }
};

RC_GTEST_PROP(Session, AnyOrderOfHostCallsAndUserActsFollowsTheModel, ()) {
    Model model;
    Sut sut;
    // Answers and Updates weigh twice: the orders that matter go through both.
    rc::state::check(
        model, sut, rc::state::gen::execOneOfWithArgs<Load, Answer, Answer, Edit, Update, Update, ProfileLoad, Hide>());
}

}  // namespace
}  // namespace kora
