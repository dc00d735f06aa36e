// The plug-in's real Open / Save dialogs, answered the way the host's script
// mode answers them, and the host's privilege collection as the plug-in reads
// it through IDispatch.
#include <gtest/gtest.h>

#include <optional>

#include "dialog_answerer_win.h"
#include "errors/failure.h"
#include "keyed_collection_win.h"
#include "plugin/components_win.h"
#include "plugin/raii_win.h"
#include "plugin/text_win.h"
#include "profiles/file_dialogs_win.h"

namespace kora::test {
namespace {

constexpr char kFilter[] = "Server Settings File (*.ssf)|*.ssf";
constexpr uint32_t kFlags = 0xC0804;  // OFN_EXPLORER | OFN_NOLONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY

TEST(FileDialogs, FilterBecomesNulSeparatedWithTwoNulsAtTheEnd) {
    const std::wstring filter = win::dialogFilter(kFilter);
    EXPECT_EQ(filter, std::wstring(L"Server Settings File (*.ssf)\0*.ssf\0\0", 36));
    EXPECT_EQ(win::dialogFilter(""), std::wstring(L"\0\0", 2));
}

TEST(FileDialogs, SetupCarriesTitleFolderAndFlagsAndAddsNoExtension) {
    FileDialogRequest request{true, "Save Server Settings", kFilter, "C:\\Suite\\profiles\\3\\settings",
                              kFlags};
    const std::wstring filter = win::dialogFilter(request.filter);
    const std::wstring title = win::widen(request.title), folder = win::widen(request.initialDir);
    std::vector<wchar_t> buffer;
    const OPENFILENAMEW ofn = win::dialogSetup(request, nullptr, filter, title, folder, buffer);
    EXPECT_EQ(ofn.Flags, 0xC0804u);
    EXPECT_EQ(ofn.Flags,
              static_cast<DWORD>(OFN_EXPLORER | OFN_NOLONGNAMES | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_EQ(ofn.lpstrDefExt, nullptr);
    EXPECT_EQ(ofn.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_STREQ(ofn.lpstrTitle, L"Save Server Settings");
    EXPECT_STREQ(ofn.lpstrInitialDir, L"C:\\Suite\\profiles\\3\\settings");
    EXPECT_EQ(ofn.lpstrFilter, filter.c_str());
    EXPECT_EQ(ofn.nFilterIndex, 1u);
    // Room for any path; the initial file name is empty.
    EXPECT_GE(ofn.nMaxFile, 32768u);
    EXPECT_EQ(ofn.lpstrFile[0], L'\0');
}

// A folder of its own below the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"korastand-dialog-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// Stands in for the host's window: answers each file dialog with the next
// answer (nullopt cancels) and records what the dialog showed.
class DialogHost {
public:
    explicit DialogHost(std::vector<std::optional<std::wstring>> answers) : answers_(std::move(answers)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &DialogHost::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KorastandDialogTestHost";
        RegisterClassExW(&wc);
        window_.reset(CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      wc.hInstance, this));
        answerer_.emplace(window_.get(), kMessage, [](const suite::SeenBox&) {});
    }
    const std::vector<suite::SeenFileDialog>& seen() const { return seen_; }

private:
    static constexpr UINT kMessage = WM_APP + 7;
    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<DialogHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == kMessage && self) {
            self->answer(reinterpret_cast<HWND>(lp));
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    void answer(HWND dialog) {
        seen_.push_back(suite::readFileDialog(dialog));
        const size_t at = seen_.size() - 1;
        if (at < answers_.size() && answers_[at])
            suite::confirmFileDialog(dialog, *answers_[at]);
        else
            suite::cancelFileDialog(dialog);
    }

    std::vector<std::optional<std::wstring>> answers_;
    std::vector<suite::SeenFileDialog> seen_;
    win::Window window_;
    std::optional<suite::DialogAnswerer> answerer_;
};

TEST(FileDialogs, SaveShowsTitleFolderAndTypeAndReturnsTheTypedNameAsTyped) {
    TempFolder folder;
    DialogHost host({L"profile"});
    win::Win32FileDialogs dialogs;
    const std::string chosen =
        dialogs.ask({true, "Save Server Settings", kFilter, win::narrow(folder.path()), kFlags});
    EXPECT_EQ(chosen, win::narrow(folder.path()) + "\\profile");  // no ".ssf" added
    ASSERT_EQ(host.seen().size(), 1u);
    EXPECT_EQ(host.seen()[0].title, L"Save Server Settings");
    EXPECT_EQ(host.seen()[0].folder, folder.path());
    EXPECT_EQ(host.seen()[0].types, L"Server Settings File (*.ssf)");
}

TEST(FileDialogs, OpenAcceptsAFileThatDoesNotExistAndCancelGivesNothing) {
    TempFolder folder;
    DialogHost host({L"missing.ssf", std::nullopt});
    win::Win32FileDialogs dialogs;
    const FileDialogRequest request{false, "Load Saved Server Settings", kFilter, win::narrow(folder.path()),
                                    kFlags};
    EXPECT_EQ(dialogs.ask(request), win::narrow(folder.path()) + "\\missing.ssf");
    EXPECT_EQ(dialogs.ask(request), "");
    ASSERT_EQ(host.seen().size(), 2u);
    EXPECT_EQ(host.seen()[1].title, L"Load Saved Server Settings");
}

// --- The host's privilege collection ----------------------------------------------

TEST(KeyedCollection, CountsItsItemsAndFailsWithError5ForAMissingKey) {
    win::ComApartment apartment;
    auto collection = suite::newKeyedCollection();
    collection->set(L"DW: Change Max Players", 1);
    collection->set(L"DW: Change Dedicated Mode", 0);
    collection->set(L"dw: change dedicated mode", 5);  // the same key: replaced
    const auto privileges = win::dispatchPrivileges(win::ComPtr<IDispatch>::share(collection.get()));
    EXPECT_EQ(privileges->count(), 2);
    EXPECT_EQ(privileges->item("DW: Change Max Players"), 1.0);
    EXPECT_EQ(privileges->item("DW: Change Dedicated Mode"), 5.0);
    try {
        privileges->item("DW: Change Session Type");
        FAIL() << "a missing key must fail";
    } catch (const RunError& e) {
        EXPECT_EQ(e.failure().number, 5);
    }
}

TEST(KeyedCollection, ReportsTheMissingKeyAsHresult0x800A0005) {
    win::ComApartment apartment;
    auto collection = suite::newKeyedCollection();
    IDispatch* d = collection.get();
    LPOLESTR name = const_cast<LPOLESTR>(L"Item");
    DISPID id = 0;
    ASSERT_EQ(d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    win::Bstr key(L"absent");
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_BSTR;
    V_BSTR(&arg) = key.get();
    DISPPARAMS params{&arg, nullptr, 1, 0};
    win::Variant result;
    win::ExcepInfo info;
    EXPECT_EQ(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                        result.put(), &info, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<uint32_t>(info.scode), 0x800A0005u);
}

}  // namespace
}  // namespace kora::test
