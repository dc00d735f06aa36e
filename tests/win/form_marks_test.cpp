// The marks as the Win32 form draws them: where the warning mark stands and
// on which page, what the caption's font is, what the tooltip holds, and that
// a form gives back the fonts and windows the marks made.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "com_support.h"
#include "form/marks.h"
#include "form_support.h"

namespace kora::testing {
namespace {

using enum Control;

RECT onForm(HWND h, HWND form) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool bold(HWND h) {
    LOGFONTW face{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    return font && GetObjectW(font, sizeof face, &face) == sizeof face && face.lfWeight >= FW_BOLD;
}

bool underlined(HWND h) {
    LOGFONTW face{};
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
    return font && GetObjectW(font, sizeof face, &face) == sizeof face && face.lfUnderline;
}

std::string tooltipOf(Win32FormWindows& w, HWND tool) {
    std::wstring text(1024, L'\0');
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = w.window();
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text.data();
    SendMessageW(w.tooltipWindow(), TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
    return win::narrow(text.c_str());
}

class Win32MarksTest : public ::testing::Test {
protected:
    void SetUp() override {
        Module::Services services;
        services.boxes = std::make_shared<contract::RecordingBoxes>();
        services.files = std::make_shared<win::Win32FileService>();
        services.createForm = [](Module& m) { return createShownForm(m); };
        module_ = std::make_unique<Module>(std::move(services));
        freshForm();
    }
    // A new form holding values the server would send, and they are the baseline.
    void freshForm() {
        module_->unloadForm();
        form().setText(savTime, "45");
        form().setText(savPlayers, "24");
        form().setText(savServerName, "Duskwater");
        for (Control c : {savRespawn, savDelay, savMaxFF, savPSPTime, savSession}) form().setListIndex(c, 1);
        form().setText(savMinPing, "0");
        form().setText(savMaxPing, "0");
        for (Control c :
             {savLives, savFlagReturn, savVoteMin, savVoteTime, savChangeTime, savChangePenalty, savArmoryReuse})
            form().setText(c, "1");
        form().setListIndex(savMaps, 0);
        form().takeBaseline();
        pumpForm();
    }
    void TearDown() override { module_->unloadForm(); }

    FormWindow& form() { return module_->form(); }
    Win32FormWindows& windows() { return windowsOf(*module_); }

    std::unique_ptr<Module> module_;
};

struct DrawCase {
    Control control;
    std::function<void(Form&)> act;
    bool changed;
    std::string notice;
};

TEST_F(Win32MarksTest, CaptionsAndWarningMarksFollowTheCore) {
    const DrawCase cases[] = {
        {savTime, [](Form& f) { f.setText(savTime, "46"); }, true, ""},
        {savTime, [](Form& f) { f.setText(savTime, "101"); }, true,
         "Update sends 30: the server takes 0 to 100 for Time Limit."},
        {savMessage, [](Form& f) { f.setText(savMessage, "Hi"); }, true, ""},  // an underlined caption
        {savMinPing, [](Form& f) { f.setText(savMinPing, "5"); }, true, ""},   // the caption is lblMinPing
        {savMaxPing, [](Form& f) { f.setText(savMaxPing, "x"); }, true,
         "Update sends 15000: Max Ping must be a number."},
        {lstRoles, [](Form& f) { f.setItemSelected(lstRoles, 3, true); }, true, ""},  // the caption is Frame10
    };
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(std::string(name(c.control)));
        freshForm();
        c.act(form());
        showPageOf(*module_, c.control);
        Win32FormWindows& w = windows();
        HWND caption = w.captionWindow(c.control);
        ASSERT_NE(caption, nullptr);
        EXPECT_EQ(bold(caption), c.changed);
        if (c.control == savMessage) {
            EXPECT_TRUE(underlined(caption));
        }
        HWND warning = w.warningWindow(c.control);
        EXPECT_EQ(warning != nullptr, !c.notice.empty());
        if (!warning) continue;
        EXPECT_EQ(tooltipOf(w, warning), c.notice);
        // Beside the control, on its frame, shown with its page.
        HWND control = w.controlWindow(c.control);
        const RECT mark = onForm(warning, w.window()), box = onForm(control, w.window());
        EXPECT_GE(mark.left, box.right);
        EXPECT_EQ(mark.top, box.top);
        EXPECT_TRUE(IsWindowVisible(warning));
        const RECT frame = onForm(w.frameWindow(row(c.control).frame), w.window());
        EXPECT_LE(mark.right, frame.right);
        for (int page = 0; page < 4 && pageOf(c.control) >= 0; ++page) {
            if (page == pageOf(c.control)) continue;
            form().selectTab(page);
            pumpForm();
            EXPECT_FALSE(IsWindowVisible(warning)) << "page " << page;
        }
    }
}

TEST_F(Win32MarksTest, ABoldCaptionIsNotCutShorterThanItsText) {
    for (const ControlRow& r : settingControls()) {
        if (r.label.empty() || r.update.send == Send::None) continue;  // never sent, never bold
        form().takeBaseline();
        // Any change marks it: a check value, an index, an element or a text.
        switch (r.kind) {
        case Kind::Check: form().setCheckValue(r.id, form().checkValue(r.id) == 1 ? 0 : 1); break;
        case Kind::Combo:
        case Kind::List: form().setListIndex(r.id, form().listIndex(r.id) == 0 ? 1 : 0); break;
        case Kind::Option: form().setOptionElement(r.id, form().optionElement(r.id) == 1 ? 0 : 1); break;
        default: form().setText(r.id, form().text(r.id) + "1"); break;
        }
        HWND caption = windows().captionWindow(r.id);
        EXPECT_TRUE(bold(caption)) << r.name;
        HDC dc = GetDC(caption);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(caption, WM_GETFONT, 0, 0)));
        const std::wstring text = win::widen(r.label);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(caption, dc);
        RECT rc{};
        GetClientRect(caption, &rc);
        EXPECT_GE(rc.right, size.cx) << r.name;
    }
}

TEST_F(Win32MarksTest, AFormWithMarksGivesBackItsFontsAndWindows) {
    module_->unloadForm();
    const int gdiBefore = liveFormGdiObjects();
    HWND tooltip = nullptr, warning = nullptr;
    {
        auto made = createShownForm(*module_);
        made->takeBaseline();
        made->setText(savMessage, "changed");  // the bold underlined font
        made->setText(savTime, "500");         // the bold font, a warning mark, the tooltip
        pumpForm();
        Win32FormWindows& w = *win32Windows(*made);
        tooltip = w.tooltipWindow();
        warning = w.warningWindow(savTime);
        ASSERT_TRUE(IsWindow(tooltip));
        ASSERT_TRUE(IsWindow(warning));
        EXPECT_EQ(liveFormGdiObjects(), gdiBefore + 6);  // four fonts, two brushes
        made->setText(savTime, "5");
        EXPECT_FALSE(IsWindow(warning));
        EXPECT_EQ(w.warningWindow(savTime), nullptr);
        made->setText(savTime, "500");
        warning = w.warningWindow(savTime);
    }
    pumpForm();
    EXPECT_FALSE(IsWindow(tooltip));
    EXPECT_FALSE(IsWindow(warning));
    EXPECT_EQ(liveFormGdiObjects(), gdiBefore);
}

}  // namespace
}  // namespace kora::testing
