// A long session with the real plug-in: LoadInterface, the reply, an edit,
// Update and its confirmation, a profile saved and loaded back, over and over.
// Nothing may grow: private bytes stay within 1 MB of where they stood after
// the warm-up, and as many GDI objects can be made at the end as before.
// KORA_SOAK_CYCLES sets the cycles (20 unless set; 1,000 for the full soak).
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include "base64.h"

#include "base/text_win.h"
#include "plugin_host.h"

namespace kora::harness {
namespace {

int soakCycles() {
    const char* value = std::getenv("KORA_SOAK_CYCLES");
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : 20;
}

class Session {
public:
    explicit Session(PluginHost& host) : host_(host), reply_(win::widen(fullReply())) {}

    // One cycle; false with a note when a step did not do what it should.
    bool cycle(int n, std::string& why) {
        host_.boxes.clear();
        if (FAILED(host_.load(3, L"k"))) return fail(why, "LoadInterface failed");
        host_.pump();
        if (FAILED(host_.reply(reply_))) return fail(why, "RemoteData failed");
        host_.pump();
        if (!host_.driver().type("savServerName", "Soak " + std::to_string(n)).empty())
            return fail(why, "cannot type the server name");
        host_.pump();
        if (!waitForRequest([&] { host_.driver().click("cmdUpdate", 0, 1); })) return fail(why, "Update sent nothing");
        if (host_.requests.back().text.find(win::widen(suite::encodeBase64("Soak " + std::to_string(n)))) ==
            std::wstring::npos) {
            why = "Update did not carry the edit: " + win::narrow(host_.requests.back().text.substr(0, 120));
            return false;
        }
        host_.reply(L"1");
        host_.pump();
        host_.answerNextDialog(profile_);
        host_.driver().click("cmdSave", 0, 1);
        settle();
        host_.driver().type("savServerName", "changed");
        host_.answerNextDialog(profile_);
        host_.driver().click("cmdLoad", 0, 1);
        settle();
        const std::vector<std::wstring> expected = {L"Server Settings Updated.", L"Server Settings Saved Successfully.",
                                                    L"Server Settings Loaded."};
        std::vector<std::wstring> seen;
        for (const auto& box : host_.boxes) seen.push_back(box.text);
        if (seen != expected) {
            why = "messages:";
            for (const auto& s : seen) why += " [" + win::narrow(s) + "]";
            return false;
        }
        HWND name = nullptr;
        host_.driver().findControl("savServerName", 0, name);
        wchar_t text[64] = {};
        GetWindowTextW(name, text, 64);
        if (std::wstring(text) != win::widen("Soak " + std::to_string(n)))
            return fail(why, "the profile did not bring the name back");
        return true;
    }

private:
    static bool fail(std::string& why, const char* what) {
        why = what;
        return false;
    }
    template <typename Act>
    bool waitForRequest(Act act) {
        const size_t count = host_.requests.size() + 1;
        act();
        for (int i = 0; i < 1000 && host_.requests.size() < count; ++i) {
            host_.pump();
            Sleep(2);
        }
        return host_.requests.size() >= count;
    }
    // The dialogs are answered from inside their own loops; let them finish.
    void settle() {
        for (int i = 0; i < 20; ++i) {
            host_.pump();
            Sleep(5);
        }
    }

    PluginHost& host_;
    std::wstring reply_;
    std::wstring profile_ = exeFolder() + L"\\profiles\\3\\settings\\soak.ssf";
};

TEST(Soak, ASessionOfManyCyclesKeepsMemoryAndGdiCapacity) {
    const std::wstring base = exeFolder();
    CreateDirectoryW((base + L"\\profiles").c_str(), nullptr);
    CreateDirectoryW((base + L"\\profiles\\3").c_str(), nullptr);
    const int cycles = soakCycles();
    const int warmUp = std::min(20, std::max(5, cycles / 10));
    {
        PluginHost host;
        ASSERT_TRUE(host.create());
        Session session(host);
        std::string why;
        for (int n = 0; n < warmUp; ++n) ASSERT_TRUE(session.cycle(n, why)) << "warm-up cycle " << n << ": " << why;
        host.requests.clear();
        host.requests.shrink_to_fit();
        const size_t bytesBefore = privateBytes();
        const int gdiBefore = freeGdiCapacity();
        for (int n = 0; n < cycles; ++n) {
            ASSERT_TRUE(session.cycle(n, why)) << "cycle " << n << ": " << why;
            host.requests.clear();
        }
        host.requests.shrink_to_fit();
        const size_t bytesAfter = privateBytes();
        const int gdiAfter = freeGdiCapacity();
        const long long growth = static_cast<long long>(bytesAfter) - static_cast<long long>(bytesBefore);
        std::printf(
            "soak: %d cycles after %d warm-up: private bytes %zu -> %zu (%+lld), "
            "free GDI capacity %d -> %d\n",
            cycles, warmUp, bytesBefore, bytesAfter, growth, gdiBefore, gdiAfter);
        EXPECT_LT(growth, 1024 * 1024);
        EXPECT_EQ(gdiAfter, gdiBefore);
    }
    removeTree(base + L"\\profiles");
    removeTree(base + L"\\RCData");
}

}  // namespace
}  // namespace kora::harness
