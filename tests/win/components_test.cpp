// The stand-in utility and encoding components, reached as the plug-in reaches
// them: created by ProgID and called late-bound through the adapters.
#include <fstream>
#include <regex>

#include "com_support.h"
#include "plugin/components_win.h"
#include "plugin/dispatch_win.h"
#include "plugin/text_win.h"
#include "relay_win.h"
#include "stand_in_win.h"

namespace kora::test {
namespace {

using win::Bstr;
using win::ComPtr;

// Texts that must survive every round trip: the wire's separators, line
// breaks, blanks at either end, INI syntax, backslashes, non-ASCII.
const std::vector<std::string> kHostile = {
    "",         " ",           "  lead",         "trail  ",     "a|b,c[-]d",    "line\r\nbreak\n\r",
    "k=v",      "=",           ";not a comment", "#nor this",   "[Server]",     "x]y[z",
    "back\\slash\\", "\\r\\n", "tab\tin",        "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80",
    "\xE4\xB8\xAD\xE6\x96\x87", std::string(300, 'x')};

int32_t errorNumberOf(const std::function<void()>& call, std::string* description = nullptr) {
    try {
        call();
    } catch (const RunError& e) {
        if (description) *description = e.failure().description;
        return e.failure().number;
    }
    return 0;
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

TEST_F(Codec, Enc64IsStandardPaddedBase64OfTheUtf8Bytes) {
    EXPECT_EQ(codec->enc64(""), "");
    EXPECT_EQ(codec->enc64("f"), "Zg==");
    EXPECT_EQ(codec->enc64("foobar"), "Zm9vYmFy");
    EXPECT_EQ(codec->enc64("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC"), "R3LDvMOfZSDigqw=");
    EXPECT_EQ(codec->enc64("a|b,c[-]d\r\n\xF0\x9F\x98\x80"), "YXxiLGNbLV1kDQrwn5iA");
}

TEST_F(Codec, Dec64GivesBackExactlyWhatEnc64Encoded) {
    for (const std::string& text : kHostile) {
        const std::string encoded = codec->enc64(text);
        EXPECT_EQ(encoded.find_first_of("|,"), std::string::npos) << encoded;
        EXPECT_EQ(encoded.find("[-]"), std::string::npos) << encoded;
        EXPECT_EQ(codec->dec64(encoded), text);
    }
}

TEST_F(Codec, Dec64RefusesWhatIsNotAnEncodingWithError5) {
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { codec->dec64("not base64!"); }, &description), 5);
    EXPECT_EQ(description, "Dec64: the text is not valid Base64");
    EXPECT_EQ(errorNumberOf([&] { codec->dec64("Zg="); }), 5);
    EXPECT_EQ(errorNumberOf([&] { codec->dec64("Zm9v\r\n"); }), 5);
    // Valid Base64 of bytes that are not UTF-8 text (0xFF, a lone continuation byte).
    EXPECT_EQ(errorNumberOf([&] { codec->dec64("/w=="); }, &description), 5);
    EXPECT_EQ(description, "Dec64: the decoded bytes are not valid UTF-8 text");
    EXPECT_EQ(errorNumberOf([&] { codec->dec64("gA=="); }), 5);
}

TEST_F(Codec, Enc64RefusesTextThatIsNotUnicode) {
    // A lone surrogate cannot be encoded as UTF-8; the raw call shows the EXCEPINFO.
    ComPtr<IDispatch> raw = win::createByProgId(L"zelrcCDX.clsCodec");
    Bstr lone(std::wstring(1, wchar_t(0xD83D)));
    try {
        win::call(raw.get(), L"Enc64", {win::byValue(lone)});
        FAIL();
    } catch (const RunError& e) {
        EXPECT_EQ(e.failure().number, 5);
        EXPECT_NE(e.failure().description.find("Enc64"), std::string::npos);
    }
}

TEST_F(Codec, AcceptsArgumentsByReferenceToo) {
    ComPtr<IDispatch> raw = win::createByProgId(L"zelrcCDX.clsCodec");
    Bstr text(L"foobar");
    EXPECT_EQ(win::toText(win::call(raw.get(), L"Enc64", {win::byRef(text)}).get()), "Zm9vYmFy");
    win::Variant inner;
    V_VT(inner.put()) = VT_BSTR;
    V_BSTR(&inner.get()) = SysAllocString(L"Zm9vYmFy");
    EXPECT_EQ(win::toText(win::call(raw.get(), L"Dec64", {win::byRef(inner.get())}).get()), "foobar");
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
    std::string fileText() const {
        return suite::readWholeFile(win::widen(iniFile)).value_or("(missing)");
    }

    ComPtr<IDispatch> raw;
    std::shared_ptr<UtilityComponent> utility;
    std::wstring folder;
    std::string iniFile;
};

TEST_F(Utility, MissingFileSectionOrKeyReadsAsEmpty) {
    EXPECT_EQ(utility->getIniKey("Server", "savTime", iniFile), "");
    utility->writeIniKey("Server", "savTime", "30", iniFile);
    EXPECT_EQ(utility->getIniKey("Roles", "savTime", iniFile), "");
    EXPECT_EQ(utility->getIniKey("Server", "savLives", iniFile), "");
    EXPECT_EQ(utility->getIniKey("Server", "savTime", iniFile), "30");
}

TEST_F(Utility, IniFileIsReadableText) {
    utility->writeIniKey("Server", "savServerName", " Dusk|Water ", iniFile);
    utility->writeIniKey("Server", "savTime", "30", iniFile);
    utility->writeIniKey("Roles", "Medic", "1", iniFile);
    utility->writeIniKey("Server", "savServerName", "Dusk\\Water=\xE2\x82\xAC", iniFile);
    EXPECT_EQ(fileText(),
              "[Server]\r\nsavServerName=Dusk\\\\Water=\xE2\x82\xAC\r\nsavTime=30\r\n[Roles]\r\nMedic=1\r\n");
}

TEST_F(Utility, AnyKeyAndValueRoundTripsExactly) {
    for (const std::string& key : kHostile) utility->writeIniKey("Server", key, key + "|value", iniFile);
    for (const std::string& value : kHostile) utility->writeIniKey("Weapons", "w " + value, value, iniFile);
    for (const std::string& key : kHostile) EXPECT_EQ(utility->getIniKey("Server", key, iniFile), key + "|value");
    for (const std::string& value : kHostile) EXPECT_EQ(utility->getIniKey("Weapons", "w " + value, iniFile), value);
}

TEST_F(Utility, IniOperationsTakeArgumentsByValueAsWell) {
    Bstr section(L"Server"), key(L"k"), value(L"v \u00E4"), file(win::widen(iniFile));
    win::call(raw.get(), L"WriteIniKey",
              {win::byValue(section), win::byValue(key), win::byValue(value), win::byValue(file)});
    EXPECT_EQ(win::toText(win::call(raw.get(), L"GetIniKey",
                                    {win::byValue(section), win::byValue(key), win::byValue(file)}).get()),
              "v \xC3\xA4");
}

TEST_F(Utility, WritingIntoAMissingFolderFailsWith75) {
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { utility->writeIniKey("S", "k", "v", win::narrow(folder) + "\\no\\such.ssf"); },
                            &description),
              75);
    EXPECT_NE(description.find("WriteIniKey"), std::string::npos);
}

TEST_F(Utility, WriteFileHandsPathAndTextToTheHostRelay) {
    std::vector<suite::RelayRequest> seen;
    {
        suite::RelayWindow relay([&](const suite::RelayRequest& r) {
            seen.push_back(r);
            return true;
        });
        utility->writeFile("C:\\base\\RCData\\reply_zelKORA_GetSettingsRem.txt",
                           "Plugin_zelKORA_GetSettingsRem_key \xC3\xA4_VB6_3");
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].path, L"C:\\base\\RCData\\reply_zelKORA_GetSettingsRem.txt");
    EXPECT_EQ(seen[0].text, L"Plugin_zelKORA_GetSettingsRem_key \u00E4_VB6_3");
}

TEST_F(Utility, WriteFileWithoutARelayFailsClearly) {
    ASSERT_EQ(suite::findRelayWindow(), nullptr);
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { utility->writeFile("C:\\x.txt", "text"); }, &description), 5);
    EXPECT_EQ(description, "WriteFile: No host relay window (KorastandHostRelay) in this process");

    suite::RelayWindow refusing([](const suite::RelayRequest&) { return false; });
    EXPECT_EQ(errorNumberOf([&] { utility->writeFile("C:\\x.txt", "text"); }, &description), 5);
    EXPECT_EQ(description, "WriteFile: The host relay refused the request");
}

TEST_F(Utility, LogErrorAppendsOneLineBelowTheHostsBasePath) {
    const std::wstring log = exeFolder() + L"\\logs\\errors.log";
    const size_t before = suite::readWholeFile(log).value_or("").size();
    utility->logError("zelrcKORA.dll", "RemoteData", Failure{5, "bad\r\nreply [a|b]", 0}, 40);
    const std::string all = suite::readWholeFile(log).value_or("");
    ASSERT_GT(all.size(), before);
    const std::string added = all.substr(before);
    EXPECT_TRUE(std::regex_match(added, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\| zelrcKORA\\.dll \\| "
                                                   "RemoteData \\| 5 \\| bad\\\\r\\\\nreply \\[a\\|b\\] \\| line 40\r\n")))
        << added;
}

TEST_F(Utility, SendErrorReportWritesTheReportAndAnswersTrue) {
    const std::wstring reports = exeFolder() + L"\\reports";
    ErrorReport report{"429", "ActiveX component can't create object", "zelrcKORA.dll 1.0.5", "SubMain", "0", 12};
    const auto newest = [&] {
        std::wstring name;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((reports + L"\\report-*.txt").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return name;
        do {
            if (name.empty() || wcscmp(data.cFileName, name.c_str()) > 0) name = data.cFileName;
        } while (FindNextFileW(find, &data));
        FindClose(find);
        return name;
    };
    EXPECT_EQ(utility->sendErrorReport(report), std::optional<bool>(true));
    const std::string text = suite::readWholeFile(reports + L"\\" + newest()).value_or("");
    EXPECT_NE(text.find("\r\nNumber: 429\r\nDescription: ActiveX component can't create object\r\n"
                        "Library: zelrcKORA.dll 1.0.5\r\nOperation: SubMain\r\nMarker: 0\r\nLine: 12\r\n"),
              std::string::npos)
        << text;
}

TEST_F(Utility, SendErrorReportAnswersFalseForAMalformedReport) {
    win::SafeArray five = win::SafeArray::attach(SafeArrayCreateVector(VT_VARIANT, 0, 5));
    win::Variant array;
    V_VT(array.put()) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&array.get()) = five.detach();
    const win::Variant answer = win::call(raw.get(), L"SendErrorReport", {win::byRef(array.get())});
    ASSERT_EQ(answer.type(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&answer.get()), VARIANT_FALSE);
}

TEST(Relay, RequestBlocksRoundTripAndMalformedOnesAreRefused) {
    const suite::RelayRequest request{L"C:\\a\u00E4.txt", std::wstring(L"x\0y|\U0001F600", 5)};
    const auto block = suite::packRelayRequest(request);
    const auto back = suite::unpackRelayRequest(block.data(), block.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->path, request.path);
    EXPECT_EQ(back->text, request.text);
    EXPECT_FALSE(suite::unpackRelayRequest(block.data(), 3));
    EXPECT_FALSE(suite::unpackRelayRequest(block.data(), block.size() - 1));
    const uint8_t tooLong[] = {0xFF, 0, 0, 0, 'a', 0};
    EXPECT_FALSE(suite::unpackRelayRequest(tooLong, sizeof tooLong));
    const auto empty = suite::packRelayRequest({});
    EXPECT_TRUE(suite::unpackRelayRequest(empty.data(), empty.size()));
}

}  // namespace
}  // namespace kora::test
