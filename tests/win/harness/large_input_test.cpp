// Inputs far beyond what a server sends, handed to the real plug-in: the form
// takes them whole, stays responsive and keeps working afterwards.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/text_win.h"
#include "base64.h"
#include "plugin_host.h"

namespace kora::harness {
namespace {

std::wstring windowText(HWND h) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND control(PluginHost& host, const char* name) {
    HWND h = nullptr;
    EXPECT_EQ(host.driver().findControl(name, 0, h), "");
    return h;
}

// The form answers a message within a second: its thread is not stuck.
bool responsive(HWND form) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

class LargeInput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.create());
        ASSERT_EQ(host.load(3, L"k"), S_OK);
        host.pump();
        ASSERT_EQ(host.requests.size(), 1u);
    }
    void TearDown() override {
        host.release();
        removeTree(exeFolder() + L"\\reports");
        removeTree(exeFolder() + L"\\logs");
    }
    // Sends Update and returns the request text (empty when none went out).
    std::wstring update() {
        const size_t before = host.requests.size();
        host.driver().click("cmdUpdate", 0, 1);
        for (int i = 0; i < 200 && host.requests.size() == before; ++i) {
            host.pump();
            Sleep(5);
        }
        return host.requests.size() > before ? host.requests.back().text : std::wstring();
    }
    PluginHost host;
};

TEST_F(LargeInput, TenThousandWeaponsAllArriveAndTheSelectedOnesGoBack) {
    const std::string reply = fullReply(10000);
    ASSERT_EQ(host.reply(win::widen(reply)), S_OK);
    host.paint();
    EXPECT_TRUE(host.boxes.empty());
    HWND weapons = control(host, "lstWeapons");
    EXPECT_EQ(SendMessageW(weapons, LB_GETCOUNT, 0, 0), 10000);
    const auto server = fullServer(10000);
    const auto selected =
        std::count_if(server.weapons.begin(), server.weapons.end(), [](const suite::Weapon& w) { return w.selected; });
    EXPECT_EQ(SendMessageW(weapons, LB_GETSELCOUNT, 0, 0), selected);
    EXPECT_TRUE(responsive(host.driver().form()));
    const std::wstring sent = update();
    ASSERT_FALSE(sent.empty());
    // The last weapon, selected, is the last entry of the weapons section.
    const std::wstring last = win::widen(suite::encodeBase64("Field Issue Weapon No. 9999"));
    EXPECT_NE(sent.find(L"|" + last + L"[-]"), std::wstring::npos);
}

TEST_F(LargeInput, AHostMessageOf64KiBIsShownWholeAndSentBackWhole) {
    const std::string reply = fullReply(60, 65536);
    ASSERT_EQ(host.reply(win::widen(reply)), S_OK);
    host.paint();
    EXPECT_TRUE(host.boxes.empty());
    const std::wstring shown = windowText(control(host, "savMessage"));
    EXPECT_EQ(shown.size(), 65536u);
    EXPECT_TRUE(responsive(host.driver().form()));
    const std::wstring sent = update();
    ASSERT_FALSE(sent.empty());
    EXPECT_NE(sent.find(L"|" + win::widen(suite::encodeBase64(win::narrow(shown))) + L"|"), std::wstring::npos);
}

TEST_F(LargeInput, AReplyOfOneMegabyteIsTakenAndTheFormKeepsWorking) {
    // 1 MiB of reply, most of it a host message.
    std::string reply = fullReply(60, 780 * 1024);
    ASSERT_GE(reply.size(), 1024u * 1024u);
    ASSERT_EQ(host.reply(win::widen(reply)), S_OK);
    host.paint();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(responsive(host.driver().form()));
    EXPECT_EQ(SendMessageW(control(host, "lstWeapons"), LB_GETCOUNT, 0, 0), 60);
    // A normal reply after it replaces everything.
    ASSERT_EQ(host.reply(win::widen(fullReply())), S_OK);
    host.pump();
    EXPECT_EQ(windowText(control(host, "savMessage")), win::widen(suite::defaultServer().hostMessage));
    EXPECT_FALSE(update().empty());
}

TEST_F(LargeInput, AOneMegabyteReplyThatFailsIsReportedWithItsTextAndChangesNothingAfter) {
    host.reply(win::widen(fullReply()));
    host.pump();
    HWND name = control(host, "savServerName");
    const std::wstring before = windowText(name);
    // 43 fields are required; one megabyte of a single field is not a reply.
    const std::string junk(1024 * 1024, 'x');
    ASSERT_EQ(host.reply(win::widen(junk)), S_OK);
    host.pump();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].title, L"DLL Error!");
    EXPECT_NE(host.boxes[0].text.find(L"Function/Sub: RemoteData"), std::wstring::npos);
    EXPECT_EQ(windowText(name), before);
    EXPECT_TRUE(responsive(host.driver().form()));
}

}  // namespace
}  // namespace kora::harness
