// The set-up of the plug-in's Open / Save dialogs: what the user cannot see
// in a dialog (its flags, no default extension, the room for a path). Titles,
// folders, file types, cancelling and the typed answer are checked through
// the real dialogs by the profile script tests.
#include <gtest/gtest.h>

#include "base/text_win.h"
#include "profiles/file_dialogs_win.h"

namespace kora::test {
namespace {

constexpr char kFilter[] = "Server Settings File (*.ssf)|*.ssf";

TEST(FileDialogs, FilterBecomesNulSeparatedWithTwoNulsAtTheEnd) {
    EXPECT_EQ(win::dialogFilter(kFilter), std::wstring(L"Server Settings File (*.ssf)\0*.ssf\0\0", 36));
    EXPECT_EQ(win::dialogFilter(""), std::wstring(L"\0\0", 2));
}

TEST(FileDialogs, SetupCarriesTitleFolderAndFlagsAndAddsNoExtension) {
    // OFN_EXPLORER | OFN_NOLONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY: an
    // Open dialog accepts a file that does not exist.
    FileDialogRequest request{true, "Save Server Settings", kFilter, "C:\\Suite\\profiles\\3\\settings", 0xC0804};
    const std::wstring filter = win::dialogFilter(request.filter);
    const std::wstring title = win::widen(request.title), folder = win::widen(request.initialDir);
    std::vector<wchar_t> buffer;
    const OPENFILENAMEW ofn = win::dialogSetup(request, nullptr, filter, title, folder, buffer);
    EXPECT_EQ(ofn.Flags, static_cast<DWORD>(OFN_EXPLORER | OFN_NOLONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_EQ(ofn.lpstrDefExt, nullptr);  // a name typed without ".ssf" stays as typed
    EXPECT_EQ(ofn.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_STREQ(ofn.lpstrTitle, L"Save Server Settings");
    EXPECT_STREQ(ofn.lpstrInitialDir, L"C:\\Suite\\profiles\\3\\settings");
    EXPECT_EQ(ofn.lpstrFilter, filter.c_str());
    EXPECT_EQ(ofn.nFilterIndex, 1u);
    // Room for any path; the initial file name is empty.
    EXPECT_GE(ofn.nMaxFile, 32768u);
    EXPECT_EQ(ofn.lpstrFile[0], L'\0');
}

}  // namespace
}  // namespace kora::test
