// The stand-in utility and encoding components, reached as the plug-in reaches
// them: created by ProgID and called late-bound through the adapters.
#include <regex>

#include "base/text_win.h"
#include "com_support.h"
#include "plugin/components_win.h"
#include "plugin/dispatch_win.h"
#include "relay_win.h"
#include "stand_in_win.h"

namespace kora::test {
namespace {

using win::Bstr;
using win::ComPtr;

// Texts that must survive every round trip: the wire's separators, line
// breaks, blanks at either end, INI syntax, backslashes, non-ASCII.
const std::vector<std::string> kHostile = {"",
                                           " lead",
                                           "trail ",
                                           "a|b,c[-]d",
                                           "line\r\nbreak",
                                           "k=v",
                                           ";not a comment",
                                           "[Server]",
                                           "back\\slash\\",
                                           "tab\tin",
                                           "Gr\xC3\xBC\xC3\x9F"
                                           "e \xE2\x82\xAC \xF0\x9F\x98\x80"};

// The error number a call raised (0 for none) and its description.
std::pair<int32_t, std::string> raised(const std::function<void()>& call) {
    try {
        call();
    } catch (const RunError& e) {
        return {e.failure().number, e.failure().description};
    }
    return {0, ""};
}

class Codec : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        codec = win::dispatchCodec(win::createByProgId(L"zelrcCDX.clsCodec"));
    }
    void TearDown() override {
        codec.reset();
        ComTest::TearDown();
    }
    std::shared_ptr<CodecComponent> codec;
};

TEST_F(Codec, RefusesWhatIsNotBase64OfUnicodeTextWithError5) {
    using R = std::pair<int32_t, std::string>;
    EXPECT_EQ(raised([&] { codec->dec64("Zg="); }), R(5, "Dec64: the text is not valid Base64"));
    EXPECT_EQ(raised([&] { codec->dec64("/w=="); }), R(5, "Dec64: the decoded bytes are not valid UTF-8 text"));
    // A lone surrogate has no UTF-8 form.
    ComPtr<IDispatch> raw = win::createByProgId(L"zelrcCDX.clsCodec");
    Bstr lone(std::wstring(1, wchar_t(0xD83D)));
    const auto [number, description] = raised([&] { win::call(raw.get(), L"Enc64", {win::byValue(lone)}); });
    EXPECT_EQ(number, 5);
    EXPECT_NE(description.find("Enc64"), std::string::npos);
}

class Utility : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        raw = win::createByProgId(L"zelrcUTK.clsUTK");
        utility = win::dispatchUtility(raw.copy());
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"kora-utility-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        iniFile = win::narrow(folder) + "\\profile \xC3\xA4.ssf";
        DeleteFileW(win::widen(iniFile).c_str());
    }
    void TearDown() override {
        DeleteFileW(win::widen(iniFile).c_str());
        RemoveDirectoryW(folder.c_str());
        utility.reset();
        raw.reset();
        ComTest::TearDown();
    }

    ComPtr<IDispatch> raw;
    std::shared_ptr<UtilityComponent> utility;
    std::wstring folder;
    std::string iniFile;
};

TEST_F(Utility, IniKeysRoundTripExactlyInAReadableFile) {
    EXPECT_EQ(utility->getIniKey("Server", "savTime", iniFile), "");  // no file yet
    utility->writeIniKey("Server", "savServerName", "Dusk\\Water=\xE2\x82\xAC", iniFile);
    utility->writeIniKey("Roles", "Medic", "1", iniFile);
    EXPECT_EQ(suite::readWholeFile(win::widen(iniFile)),
              "[Server]\r\nsavServerName=Dusk\\\\Water=\xE2\x82\xAC\r\n[Roles]\r\nMedic=1\r\n");
    for (const std::string& text : kHostile) utility->writeIniKey("Weapons", "w " + text, text, iniFile);
    for (const std::string& text : kHostile) EXPECT_EQ(utility->getIniKey("Weapons", "w " + text, iniFile), text);
    EXPECT_EQ(utility->getIniKey("Server", "Medic", iniFile), "");
}

TEST_F(Utility, WritingIntoAMissingFolderFailsWith75) {
    const auto [number, description] =
        raised([&] { utility->writeIniKey("S", "k", "v", win::narrow(folder) + "\\no\\such.ssf"); });
    EXPECT_EQ(number, 75);
    EXPECT_NE(description.find("WriteIniKey"), std::string::npos);
}

TEST_F(Utility, WriteFileHandsPathAndTextToTheHostRelayOrFailsClearly) {
    using R = std::pair<int32_t, std::string>;
    const auto write = [&] { utility->writeFile("C:\\base\\RCData\\r.txt", "Plugin_zelKORA_k \xC3\xA4_VB6_3"); };
    ASSERT_EQ(suite::findRelayWindow(), nullptr);
    EXPECT_EQ(raised(write), R(5, "WriteFile: No host relay window (KorastandHostRelay) in this process"));
    std::vector<suite::RelayRequest> seen;
    {
        suite::RelayWindow relay([&](const suite::RelayRequest& r) {
            seen.push_back(r);
            return true;
        });
        EXPECT_EQ(raised(write), R(0, ""));
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].path, L"C:\\base\\RCData\\r.txt");
    EXPECT_EQ(seen[0].text, L"Plugin_zelKORA_k \u00E4_VB6_3");
    suite::RelayWindow refusing([](const suite::RelayRequest&) { return false; });
    EXPECT_EQ(raised(write), R(5, "WriteFile: The host relay refused the request"));
}

TEST_F(Utility, LogErrorAppendsOneLineBelowTheHostsBasePath) {
    const std::wstring log = exeFolder() + L"\\logs\\errors.log";
    const size_t before = suite::readWholeFile(log).value_or("").size();
    utility->logError("zelrcKORA.dll", "RemoteData", Failure{5, "bad\r\nreply [a|b]", 0}, 40);
    const std::string added = suite::readWholeFile(log).value_or("").substr(before);
    EXPECT_TRUE(
        std::regex_match(added, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\| zelrcKORA\\.dll \\| "
                                           "RemoteData \\| 5 \\| bad\\\\r\\\\nreply \\[a\\|b\\] \\| line 40\r\n")))
        << added;
}

// A sent report ("Error Report Sent: Yes") is pinned by the fault scripts.
TEST_F(Utility, SendErrorReportAnswersFalseForAMalformedReport) {
    win::Variant array;
    V_VT(array.put()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&array.get()) = SafeArrayCreateVector(VT_VARIANT, 0, 5);
    const win::Variant answer = win::call(raw.get(), L"SendErrorReport", {win::byRef(array.get())});
    ASSERT_EQ(answer.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&answer.get()), VARIANT_FALSE);
}

}  // namespace
}  // namespace kora::test
