// The module's Windows inputs: DevelopmentMode from the environment, and its
// own path when that is longer than MAX_PATH. (Real message boxes with their
// exact titles and texts, and the ordinary module path that BasePath comes
// from, are checked by every script test.)
#include "com_support.h"
#include "plugin/module_win.h"

namespace kora::test {
namespace {

TEST(Module, DevelopmentModeIsTheEnvironmentVariableSetToExactlyOne) {
    _wputenv_s(L"KORASTAND_DEVELOPMENT", L"1");
    EXPECT_TRUE(win::developmentMode());
    _wputenv_s(L"KORASTAND_DEVELOPMENT", L"yes");
    EXPECT_FALSE(win::developmentMode());
    _wputenv_s(L"KORASTAND_DEVELOPMENT", L"");
    EXPECT_FALSE(win::developmentMode());
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
