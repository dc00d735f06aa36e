// Shows the real form on each of its four pages for a screenshot taken from
// outside (tools/form-shots.sh). Runs only when KORA_SHOTS_DIR names a folder:
// for page N it writes pageN.ready there and waits for pageN.done.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "form_support.h"

namespace kora::testing {
namespace {

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void touch(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

// Handles messages for a while, so everything is painted.
void settle(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        pumpForm();
        Sleep(20);
    }
}

TEST(FormScreenshots, EachPageShownForTheCamera) {
    const wchar_t* dir = _wgetenv(L"KORA_SHOTS_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "KORA_SHOTS_DIR is not set";
    const wchar_t* base = _wgetenv(L"KORA_SHOTS_BASE");  // a folder with imgs\butup.gif and imgs\butdown.gif

    Module::Services services;
    services.boxes = std::make_shared<contract::RecordingBoxes>();
    services.files = std::make_shared<win::Win32FileService>();
    services.createForm = [](Module& m) { return createShownForm(m); };
    Module module(std::move(services));
    if (base) module.state.basePath = win::narrow(base);
    FormWindow& form = module.form();

    // Something in the boxes, so text and lists show how they look filled.
    form.setText(Control::savServerName, "Duskwater \xC3\x9Cnic\xC3\xB8" "de \xE5\x90\x8D\xE5\x89\x8D");
    form.setText(Control::savCountry, "GB");
    form.setText(Control::savMessage, "Welcome! Play fair.");
    form.setListIndex(Control::savPlayers, 31);
    form.setOptionElement(Control::savPunkbuster, 1);
    form.setOptionElement(Control::savLFPSpd, 1);
    form.setCheckValue(Control::savMinPingChk, 1);
    form.setText(Control::savMinPing, "20");
    form.setText(Control::savGamePort, "3568");
    form.setText(Control::savLanPort, "3569");
    for (const char* w : {"M16", "AK-47", "Knife", "Grenade", "Sniper rifle"}) form.addItem(Control::lstWeapons, w);
    form.setItemSelected(Control::lstWeapons, 1, true);
    form.setItemSelected(Control::lstRoles, 0, true);
    SetWindowPos(formHostWindow(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);

    for (int page = 0; page < 4; ++page) {
        form.selectTab(page);
        settle(700);
        const std::wstring stem = std::wstring(dir) + L"\\page" + std::to_wstring(page);
        touch(stem + L".ready");
        const DWORD deadline = GetTickCount() + 60000;
        while (!fileExists(stem + L".done") && static_cast<LONG>(deadline - GetTickCount()) > 0) settle(100);
        EXPECT_TRUE(fileExists(stem + L".done")) << "no screenshot of page " << page;
    }
    module.unloadForm();
}

}  // namespace
}  // namespace kora::testing
