// Start-up, error reporting, the handler convention and LoadInterface without
// the utility component, against the in-memory form.
#include <gtest/gtest.h>

#include "errors/handler.h"
#include "fakes.h"
#include "plugin/interface.h"

namespace kora {
namespace {

using fake::Rig;

// --- BasePath -------------------------------------------------------------

TEST(BasePath, HostFolderWithoutTrailingBackslash) {
    EXPECT_EQ(basePathFromHost("C:\\Games\\Suite\\host.exe"), "C:\\Games\\Suite");
    EXPECT_EQ(basePathFromHost("C:\\host.exe"), "C:");
    EXPECT_EQ(basePathFromHost("host.exe"), "");
    EXPECT_EQ(basePathFromHost("C:\\Ünïcødé\\名前\\host.exe"), "C:\\Ünïcødé\\名前");
}

TEST(BasePath, DevelopmentRemovalsAreCaseSensitiveAndAnywhere) {
    EXPECT_EQ(basePathForDevelopment("C:\\Suite\\Plugins\\Work\\Plugins"), "C:\\Suite\\Work");
    EXPECT_EQ(basePathForDevelopment("C:\\Suite\\PLUGINS"), "C:\\Suite\\PLUGINS");
    EXPECT_EQ(basePathForDevelopment("C:\\Suite\\plugins\\dlls\\Korastand"), "C:\\Suite");
    // Each removal is one pass over the text, in order: what the first uncovers
    // is removed by a later one, never by itself again.
    EXPECT_EQ(basePathForDevelopment("C:\\A\\plu\\Pluginsgins"), "C:\\A");
    EXPECT_EQ(basePathForDevelopment("C:\\A\\dlls\\plugins\\Korastand"), "C:\\A");
    EXPECT_EQ(basePathForDevelopment("C:\\A\\Plu\\Pluginsgins"), "C:\\A\\Plugins");
}

// --- ShowMessage ----------------------------------------------------------

// Records in one list what reaches the utility component and the box.
struct Recorder : fake::Utility, MessageBoxes {
    std::vector<std::string> events;
    void logError(const std::string& lib, const std::string& op, const Failure& f, int32_t line) override {
        events.push_back("log " + lib + " " + op + " " + std::to_string(f.number) + " " + std::to_string(line));
        Utility::logError(lib, op, f, line);
    }
    std::optional<bool> sendErrorReport(const ErrorReport& r) override {
        events.push_back("report");
        return Utility::sendErrorReport(r);
    }
    void show(std::string_view title, std::string_view text) override {
        events.push_back(std::string(title) + ": " + std::string(text));
    }
};

TEST(ShowMessage, WhatEachKindLogsReportsAndShowsInOrder) {
    const Failure invalid{380, "Invalid property value", 0}, noClass{-2147221005, "Invalid class string", 0};
    const Failure x{5, "x", 0}, range{9, "Subscript out of range", 0};
    const std::string noClassBox =
        "DLL Error!: Error Line: -3\r\nError -2147221005: Invalid class string\r\nDLL: zelrcKORA.dll\r\n"
        "Function/Sub: SubMain\r\n\r\nError Report Sent: Failed!";
    struct Case {
        uint8_t kind;
        std::string text;
        const Failure* failure;
        int32_t line;
        std::optional<bool> sent;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {4,
         "SetPrivis",
         &invalid,
         40,
         true,
         {"log zelrcKORA.dll SetPrivis 380 40", "report",
          "DLL Error!: Error Line: 40\r\nError 380: Invalid property value\r\nDLL: zelrcKORA.dll\r\n"
          "Function/Sub: SetPrivis\r\n\r\nError Report Sent: Yes"}},
        {4, "SubMain", &noClass, -3, false, {"log zelrcKORA.dll SubMain -2147221005 -3", "report", noClassBox}},
        {4, "SubMain", &noClass, -3, std::nullopt, {"log zelrcKORA.dll SubMain -2147221005 -3", "report", noClassBox}},
        // Without a failure only the outcome is shown.
        {4, "cmdUpdate", nullptr, 0, true, {"report", "DLL Error!: \r\n\r\nError Report Sent: Yes"}},
        {0, "some text", nullptr, 0, true, {"Error!: some text"}},
        {1, "some text", nullptr, 0, true, {"Success: some text"}},
        {2, "some text", nullptr, 0, true, {"Failed!: some text"}},
        {3, "some text", nullptr, 0, true, {"Action Required!: some text"}},
        // The plain kinds log a failure but never report it.
        {2, "Failed text", &x, 7, true, {"log zelrcKORA.dll Failed text 5 7", "Failed!: Failed text"}},
        // Kinds 5 and above show nothing but still log.
        {5, "x", &range, 1, true, {"log zelrcKORA.dll x 9 1"}},
        {255, "x", nullptr, 1, true, {}},
    };
    for (const Case& c : cases) {
        Recorder r;
        r.reportResult = c.sent;
        showMessage(&r, r, static_cast<MessageKind>(c.kind), c.text, c.failure, c.line);
        EXPECT_EQ(r.events, c.events) << static_cast<int>(c.kind) << " " << c.text;
    }
}

TEST(ShowMessage, TheReportCarriesTheFailureAndTheLibrarysVersion) {
    Recorder r;
    const Failure f{380, "Invalid property value", 0};
    showMessage(&r, r, MessageKind::DllError, "SetPrivis", &f, 40);
    const ErrorReport& e = r.reports.back();
    EXPECT_EQ(e.number, "380");
    EXPECT_EQ(e.description, "Invalid property value");
    EXPECT_EQ(e.library, "zelrcKORA.dll 1.0.5");
    EXPECT_EQ(e.operation, "SetPrivis");
    EXPECT_EQ(e.marker, "0");
    EXPECT_EQ(e.line, 40);
    showMessage(&r, r, MessageKind::DllError, "cmdUpdate", nullptr, 0);
    EXPECT_EQ(r.reports.back().number, "");
    EXPECT_EQ(r.reports.back().description, "");
}

// --- The handler convention -----------------------------------------------

TEST(Handler, ResumesListedNumbersReportsOthersAndIgnoresZero) {
    Rig rig;
    Handler h(rig.module, "RemoteData", {err::InvalidCall});
    std::vector<int> ran;
    EXPECT_TRUE(h.run([&] {
        h.step([&] { raise(err::InvalidCall); });
        ran.push_back(1);
    }));
    EXPECT_EQ(ran, std::vector<int>{1});
    EXPECT_TRUE(rig.boxes->shown.empty());

    EXPECT_FALSE(h.run([] { throw RunError(0, "", 1); }));
    EXPECT_TRUE(rig.boxes->shown.empty());
    EXPECT_TRUE(rig.utility->logged.empty());

    bool cleaned = false;
    EXPECT_FALSE(h.run([&] { throw RunError(13, "Type mismatch", 77); }, [&] { cleaned = true; },
                       [](Failure& f) { f.description += " [data]"; }));
    EXPECT_TRUE(cleaned);
    EXPECT_EQ(rig.lastBox(),
              "DLL Error!: Error Line: 77\r\nError 13: Type mismatch [data]\r\nDLL: zelrcKORA.dll\r\n"
              "Function/Sub: RemoteData\r\n\r\nError Report Sent: Yes");
    EXPECT_EQ(rig.utility->reports.back().line, 77);
}

TEST(Handler, ForeignExceptionsAreReportedNotRaised) {
    Rig rig;
    Handler h(rig.module, "cmdSave", {});
    EXPECT_NO_THROW(h.run([] { throw std::runtime_error("boom"); }));
    EXPECT_NE(rig.lastBox().find("Error 440: boom"), std::string::npos);
}

// --- Start-up ---------------------------------------------------------------

TEST(StartUp, FailureOfTheUtilityIsReportedAndTheCodecNotAttempted) {
    for (const bool development : {false, true}) {
        Rig rig;
        rig.module.state.utility.reset();
        rig.module.state.codec.reset();
        bool codecTried = false;
        StartUpInputs in;
        in.developmentMode = development;
        in.hostExePath = [] { return std::string("C:\\Suite\\host.exe"); };
        in.pluginFolder = [] { return std::string("D:\\Work\\Plugins\\Build"); };
        in.createUtility = []() -> std::shared_ptr<UtilityComponent> { raise(429); };
        in.createCodec = [&]() -> std::shared_ptr<CodecComponent> {
            codecTried = true;
            return nullptr;
        };
        startUp(rig.module, in);
        EXPECT_FALSE(codecTried);
        EXPECT_EQ(rig.module.state.basePath, development ? "D:\\Work\\Build" : "C:\\Suite");
        ASSERT_EQ(rig.boxes->shown.size(), 1u);
        EXPECT_EQ(rig.boxes->shown[0].title, "DLL Error!");
        EXPECT_NE(rig.boxes->shown[0].text.find("Error 429: "), std::string::npos);
        EXPECT_NE(rig.boxes->shown[0].text.find("Function/Sub: SubMain"), std::string::npos);
        EXPECT_EQ(rig.module.state.utility, nullptr);
        EXPECT_EQ(rig.module.state.codec, nullptr);
    }
}

// --- LoadInterface ---------------------------------------------------------------
// The fetch request, its reply file, PDAT errors, the Affiliate editions, a
// failed send, HideInterface and the privileges are checked through the real
// plug-in by the script tests; a missing utility component only here.

PdatElement pdat(std::vector<std::string> elements) {
    return [elements](int i) -> std::string {
        if (i < 0 || i >= static_cast<int>(elements.size())) raise(err::SubscriptRange);
        return elements[static_cast<size_t>(i)];
    };
}

TEST(LoadInterface, WithoutTheUtilityComponentTheFetchFailsAndTheFormStaysHidden) {
    Rig rig;
    rig.module.state.utility.reset();
    loadInterface(rig.module, 3, 1, pdat({"k", "e"}));
    EXPECT_NE(rig.lastBox().find("Error 91:"), std::string::npos);
    EXPECT_NE(rig.lastBox().find("Function/Sub: LoadInterface"), std::string::npos);
    EXPECT_FALSE(rig.form().visible);
}

}  // namespace
}  // namespace kora
