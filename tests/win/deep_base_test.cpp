// A host installed deep in the file system: a BasePath longer than MAX_PATH.
// Its last folder name ends with a dot, which only the long-path form reaches
// (the ordinary form drops a folder name's trailing dot), so a file access
// that skips that form misses its file here, also where the system has no
// length limit of its own.
#include "../unit/fakes.h"
#include "com_support.h"
#include "form/automation_win.h"
#include "form_support.h"
#include "plugin/components_win.h"
#include "profiles/profiles.h"
#include "stand_in_win.h"

namespace kora::test {
namespace {

using kora::testing::createShownForm;
using kora::testing::pumpForm;

class DeepBasePath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(apartment_.result()));
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        top_ = temp + std::wstring(L"kora-deep-") + std::to_wstring(GetCurrentProcessId());
        std::wstring folder = top_;
        ASSERT_TRUE(CreateDirectoryW(long_(folder).c_str(), nullptr));
        for (int level = 0; folder.size() < 280; ++level) {
            folder += L"\\installation level " + std::to_wstring(level) + L" of a deep host";
            ASSERT_TRUE(CreateDirectoryW(long_(folder).c_str(), nullptr));
        }
        folder += L"\\Suite.";
        base_ = folder;
        for (const wchar_t* sub : {L"", L"\\imgs", L"\\profiles", L"\\profiles\\3"})
            ASSERT_TRUE(CreateDirectoryW(long_(base_ + sub).c_str(), nullptr));
        writeFace(L"butup.gif", kUpColour);
        writeFace(L"butdown.gif", RGB(0, 0, 200));

        dialogs_ = std::make_shared<fake::Dialogs>();
        Module::Services services{std::make_shared<win::Win32FileService>(), boxes_, dialogs_,
                                  [](Module& m) { return createShownForm(m); }};
        module_ = std::make_unique<Module>(std::move(services));
        module_->state.basePath = win::narrow(base_);
        module_->state.hostIndex = 3;
        module_->state.utility = win::dispatchUtility(win::createByProgId(L"zelrcUTK.clsUTK"));
    }
    void TearDown() override {
        if (module_) module_->unloadForm();
        pumpForm();
        suite::removeTree(long_(top_));
    }

    static std::wstring long_(const std::wstring& path) { return L"\\\\?\\" + path; }
    // A one-pixel GIF of one colour: stretched, a face of that colour.
    void writeFace(const wchar_t* name, COLORREF c) {
        // clang-format off
        const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, GetRValue(c), GetGValue(c),
                                     GetBValue(c), 0, 0, 0, 0x2c, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3b};
        // clang-format on
        win::FileHandle file(CreateFileW(long_(base_ + L"\\imgs\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), gif, sizeof gif, &written, nullptr));
    }

    static constexpr COLORREF kUpColour = RGB(0, 160, 0);
    AutomationRequest find(const wchar_t* name) {
        AutomationRequest request;
        request.name = name;
        SendMessageW(win32Windows(module_->form())->window(), automationMessage(), 0,
                     reinterpret_cast<LPARAM>(&request));
        return request;
    }
    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const auto& [title, text] : boxes_->shown) out.push_back(title + ": " + text);
        return out;
    }

    win::ComApartment apartment_;
    std::wstring top_, base_;
    std::shared_ptr<contract::RecordingBoxes> boxes_ = std::make_shared<contract::RecordingBoxes>();
    std::shared_ptr<fake::Dialogs> dialogs_;
    std::unique_ptr<Module> module_;
};

TEST_F(DeepBasePath, TheButtonsShowTheirFacesAndAProfileSavesAndLoads) {
    ASSERT_GT(base_.size(), 260u);
    for (const wchar_t* name : {L"cmdUpdate", L"cmdSave", L"cmdLoad"})
        EXPECT_TRUE(find(name).window) << win::narrow(name);
    SetWindowPos(kora::testing::formHostWindow(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(kora::testing::formHostWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpForm();
    for (const wchar_t* name : {L"cmdUpdateImg", L"cmdSaveImg", L"cmdLoadImg"}) {
        const AutomationRequest picture = find(name);
        ASSERT_TRUE(picture.window) << win::narrow(name);
        EXPECT_EQ(kora::testing::pixelOf(picture.window, picture.area.left + 2, picture.area.top + 2), kUpColour)
            << win::narrow(name) << " shows no face";
    }
    EXPECT_EQ(boxes(), std::vector<std::string>{});

    Form& form = module_->form();
    form.setText(Control::savServerName, "Deep Harbour");
    form.setCheckValue(Control::savDedicated, 1);
    const std::string profile = module_->state.basePath + "\\profiles\\3\\settings\\deep.ssf";
    dialogs_->answer = profile;
    onSaveMouseUp(*module_, 1);
    EXPECT_EQ(boxes(), std::vector<std::string>{"Success: Server Settings Saved Successfully."});
    EXPECT_NE(GetFileAttributesW(long_(win::widen(profile)).c_str()), INVALID_FILE_ATTRIBUTES);

    form.setText(Control::savServerName, "Elsewhere");
    form.setCheckValue(Control::savDedicated, 0);
    boxes_->shown.clear();
    onLoadMouseUp(*module_, 1);
    EXPECT_EQ(boxes(), std::vector<std::string>{"Success: Server Settings Loaded."});
    EXPECT_EQ(form.text(Control::savServerName), "Deep Harbour");
    EXPECT_EQ(form.checkValue(Control::savDedicated), 1);
}

}  // namespace
}  // namespace kora::test
