// Real message boxes answered by the box answerer, and the module's Windows
// inputs (DevelopmentMode from the environment).
#include "box_answerer_win.h"
#include "com_support.h"
#include "errors/message_boxes_win.h"
#include "plugin/module_win.h"

namespace kora::test {
namespace {

TEST(MessageBoxes, ShowAModalOkBoxWithTheExactTitleAndText) {
    suite::BoxAnswerer answerer;
    win::Win32MessageBoxes boxes;
    boxes.show("Failed!", "Could Not Update Server Settings!");
    boxes.show("DLL Error!", "Error Line: 40\r\nError 5: Invalid procedure call or argument\r\n"
                             "DLL: zelrcKORA.dll\r\nFunction/Sub: SetPrivis\r\n\r\nError Report Sent: Yes");
    boxes.show("Success", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC");
    ASSERT_EQ(answerer.boxes().size(), 3u);
    EXPECT_EQ(answerer.boxes()[0].title, L"Failed!");
    EXPECT_EQ(answerer.boxes()[0].text, L"Could Not Update Server Settings!");
    EXPECT_EQ(answerer.boxes()[1].text, L"Error Line: 40\r\nError 5: Invalid procedure call or argument\r\n"
                                        L"DLL: zelrcKORA.dll\r\nFunction/Sub: SetPrivis\r\n\r\nError Report Sent: Yes");
    EXPECT_EQ(answerer.boxes()[2].text, L"Gr\u00FC\u00DFe \u20AC");
}

TEST(BoxAnswerer, GivesTheChosenAnswerAndStopsWhenGone) {
    int answered = 0;
    {
        suite::BoxAnswerer answerer([](const suite::SeenBox& box) { return box.title == L"Q" ? IDNO : IDOK; });
        answered = MessageBoxW(nullptr, L"Really?", L"Q", MB_YESNO);
        EXPECT_EQ(answerer.boxes().size(), 1u);
    }
    EXPECT_EQ(answered, IDNO);
    // Nested answerers: the inner one answers while it lives.
    suite::BoxAnswerer outer;
    {
        suite::BoxAnswerer inner;
        MessageBoxW(nullptr, L"inner", L"T", MB_OK);
        EXPECT_EQ(inner.boxes().size(), 1u);
    }
    MessageBoxW(nullptr, L"outer", L"T", MB_OK);
    ASSERT_EQ(outer.boxes().size(), 1u);
    EXPECT_EQ(outer.boxes()[0].text, L"outer");
}

TEST(Module, DevelopmentModeIsTheEnvironmentVariableSetToExactlyOne) {
    _wputenv_s(L"KORASTAND_DEVELOPMENT", L"1");
    EXPECT_TRUE(win::developmentMode());
    _wputenv_s(L"KORASTAND_DEVELOPMENT", L"yes");
    EXPECT_FALSE(win::developmentMode());
    _wputenv_s(L"KORASTAND_DEVELOPMENT", L"");
    EXPECT_FALSE(win::developmentMode());
}

TEST(Module, ModuleFileNameIsTheWholePath) {
    std::wstring expected(32768, L'\0');
    expected.resize(GetModuleFileNameW(nullptr, expected.data(), 32768));
    const std::wstring exe = win::moduleFileName(nullptr);
    EXPECT_EQ(exe, expected);
    EXPECT_EQ(exe.substr(exe.size() - 4), L".exe");
    const std::wstring kernel = win::moduleFileName(GetModuleHandleW(L"kernel32.dll"));
    ASSERT_GT(kernel.size(), 13u);
    EXPECT_EQ(_wcsicmp(kernel.substr(kernel.size() - 13).c_str(), L"\\kernel32.dll"), 0) << kernel;
}

TEST(Module, ModuleFileNameGrowsItsBufferBeyondMaxPath) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = L"\\\\?\\" + std::wstring(temp) + L"kora-long-" + std::to_wstring(GetCurrentProcessId());
    std::vector<std::wstring> created{folder};
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    while (folder.size() < 400) {
        folder += L"\\a-folder-name-that-makes-the-path-long";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
        created.push_back(folder);
    }
    const std::wstring copy = folder + L"\\zelrcCDX.dll";
    ASSERT_TRUE(CopyFileW(demoPath(L"zelrcCDX.dll").c_str(), copy.c_str(), FALSE));
    {
        win::Library library(LoadLibraryW(copy.c_str()));
        ASSERT_TRUE(library);
        const std::wstring path = win::moduleFileName(library.get());
        EXPECT_GT(path.size(), static_cast<size_t>(MAX_PATH));
        EXPECT_EQ(path.substr(path.size() - 13), L"\\zelrcCDX.dll");
        EXPECT_NE(path.find(L"a-folder-name-that-makes-the-path-long\\a-folder"), std::wstring::npos);
    }
    DeleteFileW(copy.c_str());
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
}

}  // namespace
}  // namespace kora::test
