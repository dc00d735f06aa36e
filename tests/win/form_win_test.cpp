// The real Win32 form beyond the contract: its windows, captions, keyboard,
// pages, geometry, colours, the painting hook's life and what it gives back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "base/gdi_win.h"
#include "com_support.h"
#include "form/automation_win.h"
#include "form_support.h"

namespace kora::testing {
namespace {

using C = Control;

std::wstring classOf(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

std::string textOf(HWND h) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return win::narrow(text);
}

LONG_PTR styleOf(HWND h) { return GetWindowLongPtrW(h, GWL_STYLE); }

// The window's rectangle in the form's client area.
RECT onForm(HWND h, HWND form) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class Win32FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Module::Services services;
        services.boxes = boxes_;
        services.files = std::make_shared<win::Win32FileService>();
        services.createForm = [this](Module& m) { return createShownForm(m, developmentMode_); };
        module_ = std::make_unique<Module>(std::move(services));
    }
    void TearDown() override { module_->unloadForm(); }

    FormWindow& form() { return module_->form(); }
    Win32FormWindows& windows() { return windowsOf(*module_); }
    HWND control(Control c, int element = 0) { return windows().controlWindow(c, element); }
    int px(int twips) { return MulDiv(twips, windows().dpi(), 1440); }

    // The name of the control a window belongs to, as the tests spell it.
    std::string nameOf(HWND h) {
        for (const ControlRow& r : controls()) {
            if (r.kind == Kind::Option) {
                for (size_t e = 0; e < r.elements.size(); ++e)
                    if (control(r.id, static_cast<int>(e)) == h)
                        return std::string(r.name) + "(" + std::to_string(e) + ")";
            } else if (control(r.id) == h) {
                return std::string(r.name);
            }
        }
        if (h == windows().tabWindow()) return "SSTab2";
        return "?";
    }

    bool developmentMode_ = false;
    std::shared_ptr<contract::RecordingBoxes> boxes_ = std::make_shared<contract::RecordingBoxes>();
    std::unique_ptr<Module> module_;
};

// --- Windows and captions ------------------------------------------------------------

TEST_F(Win32FormTest, EverySettingControlIsAWindowOfItsKind) {
    struct Expected {
        Kind kind;
        const wchar_t* windowClass;
        LONG_PTR styleMask, style;
    };
    const Expected kinds[] = {
        {Kind::Text, L"Edit", 0, 0},
        {Kind::Check, L"Button", BS_TYPEMASK, BS_3STATE},
        {Kind::Combo, L"ComboBox", 3, CBS_DROPDOWNLIST},
        {Kind::EditCombo, L"ComboBox", 3, CBS_DROPDOWN},
        {Kind::List, L"ListBox", LBS_MULTIPLESEL | LBS_EXTENDEDSEL, 0},
        {Kind::MultiList, L"ListBox", LBS_MULTIPLESEL, LBS_MULTIPLESEL},
        {Kind::Label, L"Static", 0, 0},
        {Kind::Option, L"Button", BS_TYPEMASK, BS_RADIOBUTTON},
    };
    for (const ControlRow& r : controls()) {
        const HWND h = control(r.id);
        ASSERT_TRUE(IsWindow(h)) << r.name;
        EXPECT_EQ(GetParent(h), windows().window()) << r.name;
        const Expected& e =
            *std::find_if(std::begin(kinds), std::end(kinds), [&](auto& k) { return k.kind == r.kind; });
        const size_t windowCount = r.kind == Kind::Option ? r.elements.size() : 1;
        for (size_t i = 0; i < windowCount; ++i) {
            HWND b = control(r.id, static_cast<int>(i));
            EXPECT_EQ(classOf(b), e.windowClass) << r.name << i;
            EXPECT_EQ(styleOf(b) & e.styleMask, e.style) << r.name << i;
            if (r.kind == Kind::Option) {
                EXPECT_EQ(textOf(b), r.elements[i].caption) << r.name << i;
            }
        }
        if (r.kind == Kind::Text) {
            EXPECT_EQ((styleOf(h) & ES_MULTILINE) != 0, (r.flags & flag::Multiline) != 0) << r.name;
            EXPECT_EQ((styleOf(h) & ES_CENTER) != 0, (r.flags & flag::Centred) != 0) << r.name;
            // Typing stops there (the text_typing script types past it).
            EXPECT_EQ(SendMessageW(h, EM_GETLIMITTEXT, 0, 0), r.maxLength) << r.name;
        }
    }
}

// Their disabled state is the form contract's; a disabled window is no tab
// stop either, but one that code enables must not become one.
TEST_F(Win32FormTest, DisplayOnlyPortsAreNoTabStopsAndTheirLabelsAreGreyed) {
    for (Control c : {C::savGamePort, C::savLanPort}) {
        EXPECT_EQ(styleOf(control(c)) & WS_TABSTOP, 0) << name(c);
        EXPECT_FALSE(IsWindowEnabled(windows().labelWindow(c))) << name(c);
    }
}

TEST_F(Win32FormTest, LabelsFramesAndTabsShowTheirExactCaptions) {
    for (const ControlRow& r : controls()) {
        if (r.label.empty() || r.kind == Kind::Label) continue;
        ASSERT_TRUE(IsWindow(windows().labelWindow(r.id))) << r.name;
        EXPECT_EQ(textOf(windows().labelWindow(r.id)), r.label) << r.name;
    }
    EXPECT_EQ(textOf(windows().labelWindow(C::savSession)), "Sesstion Type:");
    EXPECT_EQ(textOf(windows().staticLabelWindow(0)), "(Secs)");
    for (const FrameRow& f : frames()) EXPECT_EQ(textOf(windows().frameWindow(f.id)), f.caption) << f.name;

    ASSERT_EQ(SendMessageW(windows().tabWindow(), TCM_GETITEMCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t text[64] = {};
        TCITEMW item{TCIF_TEXT, 0, 0, text, 64, 0, 0};
        SendMessageW(windows().tabWindow(), TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(win::narrow(text), tabCaptions()[static_cast<size_t>(i)]);
    }
}

TEST_F(Win32FormTest, FontIsTahomaEightPointTwoFiveWithTheHostMessageLabelUnderlined) {
    const auto fontOf = [](HWND h) {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        return lf;
    };
    const LOGFONTW underlined = fontOf(windows().labelWindow(C::savMessage));
    EXPECT_TRUE(underlined.lfUnderline);
    for (HWND h : {windows().labelWindow(C::savTime), control(C::savServerName), control(C::savMaxFF),
                   windows().tabWindow(), control(C::optRoles, 1)}) {
        const LOGFONTW lf = fontOf(h);
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"Tahoma");
        EXPECT_EQ(lf.lfHeight, -MulDiv(825, windows().dpi(), 7200));
        EXPECT_FALSE(lf.lfUnderline);
    }
}

// --- Colours ---------------------------------------------------------------------------------

COLORREF brushColour(LRESULT brush) {
    LOGBRUSH lb{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb);
    return lb.lbColor;
}

TEST_F(Win32FormTest, FormColourBehindLabelsAndButtonsWhiteBehindBoxes) {
    HDC dc = CreateCompatibleDC(nullptr);
    HWND f = windows().window();
    const auto colourFor = [&](UINT msg, HWND child) {
        return brushColour(SendMessageW(f, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)));
    };
    const COLORREF back = RGB(236, 233, 216), white = RGB(255, 255, 255);
    EXPECT_EQ(colourFor(WM_CTLCOLORSTATIC, windows().labelWindow(C::savTime)), back);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(colourFor(WM_CTLCOLORSTATIC, windows().labelWindow(C::savLFPSpd)), back);
    EXPECT_EQ(GetBkMode(dc), OPAQUE);  // "LFP Speed:" has a background of its own
    EXPECT_EQ(GetBkColor(dc), back);
    EXPECT_EQ(colourFor(WM_CTLCOLORSTATIC, control(C::savVoting)), back);
    EXPECT_EQ(colourFor(WM_CTLCOLORSTATIC, control(C::savPunkbuster, 0)), back);
    EXPECT_EQ(colourFor(WM_CTLCOLORSTATIC, windows().frameWindow(Frame::Frame4)), back);
    EXPECT_EQ(colourFor(WM_CTLCOLOREDIT, control(C::savServerName)), white);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    EXPECT_EQ(colourFor(WM_CTLCOLORSTATIC, control(C::savGamePort)), white);  // disabled box
    EXPECT_EQ(colourFor(WM_CTLCOLORLISTBOX, control(C::lstRoles)), white);
    DeleteDC(dc);
}

// --- Pages and keyboard -------------------------------------------------------------------

TEST_F(Win32FormTest, ClickingATabShowsOnlyThatPagesFramesAndControls) {
    HWND tabs = windows().tabWindow();
    for (int page : {1, 3, 0, 2}) {
        // The click on the tab's header, as the tab control reports it.
        RECT header{};
        SendMessageW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(page), reinterpret_cast<LPARAM>(&header));
        const LPARAM at = MAKELPARAM((header.left + header.right) / 2, (header.top + header.bottom) / 2);
        SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(tabs, WM_LBUTTONUP, 0, at);
        pumpForm();
        EXPECT_EQ(windows().currentTab(), page);
        EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), page);
        for (const FrameRow& f : frames())
            EXPECT_EQ(IsWindowVisible(windows().frameWindow(f.id)) != FALSE, f.tab < 0 || f.tab == page)
                << "page " << page << " " << f.name;
        EXPECT_EQ(IsWindowVisible(control(C::savMaxFF)) != FALSE, page == 0);
        EXPECT_EQ(IsWindowVisible(control(C::savLFPSpd, 2)) != FALSE, page == 1);
        EXPECT_EQ(IsWindowVisible(control(C::lblMinPing)) != FALSE, page == 2);
        EXPECT_EQ(IsWindowVisible(control(C::lstWeapons)) != FALSE, page == 3);
        EXPECT_TRUE(IsWindowVisible(control(C::savServerName)));
        EXPECT_TRUE(IsWindowVisible(control(C::chkAutoLoad)));
    }
    EXPECT_EQ(contract::errorOf([&] { form().selectTab(4); }), err::InvalidPropertyValue);
}

TEST_F(Win32FormTest, CtrlTabAndCtrlShiftTabSwitchPagesFromAnyControl) {
    SetFocus(control(C::savServerName));
    {
        HeldKeys ctrl(true, false);
        pressKey(VK_TAB);
    }
    EXPECT_EQ(windows().currentTab(), 1);
    EXPECT_TRUE(IsWindowVisible(windows().frameWindow(Frame::Frame6)));
    EXPECT_EQ(GetFocus(), control(C::savServerName));  // a control of the form itself keeps the focus
    {
        HeldKeys ctrlShift(true, true);
        pressKey(VK_TAB);
        EXPECT_EQ(windows().currentTab(), 0);
        pressKey(VK_TAB);
        EXPECT_EQ(windows().currentTab(), 3);  // wraps round
    }
    // From a control of the page going away, the focus moves to the new page.
    SetFocus(control(C::lstRoles));
    {
        HeldKeys ctrl(true, false);
        pressKey(VK_TAB);
    }
    EXPECT_EQ(windows().currentTab(), 0);
    EXPECT_TRUE(IsWindowVisible(GetFocus()));
    EXPECT_EQ(GetFocus(), control(C::savBluePass));
    // Also from savCountry's edit box and the multi-line host message.
    for (HWND h : {countryEdit(*module_), control(C::savMessage)}) {
        SetFocus(h);
        HeldKeys ctrl(true, false);
        pressKey(VK_TAB);
    }
    EXPECT_EQ(windows().currentTab(), 2);
    EXPECT_EQ(form().text(C::savMessage), "");  // no tab character went in
}

TEST_F(Win32FormTest, TabMovesThroughTheCurrentPageInVisualOrder) {
    std::vector<std::string> order;
    HWND first = control(C::savServerName);
    HWND at = first;
    do {
        order.push_back(nameOf(at));
        at = GetNextDlgTabItem(windows().window(), at, FALSE);
    } while (at && at != first && order.size() < 60);
    const std::vector<std::string> expected{
        "savServerName", "savCountry", "savSession",  "savPassword", "savPlayers",     "savPunkbuster(1)", "savTime",
        "savDedicated",  "savDelay",   "savSkins",    "savMaps",     "savAutoBalance", "savRespawn",       "savMessage",
        "savBluePass",   "savRedPass", "savSpecPass", "savFFKills",  "savFFTags",      "savMaxFF",         "savFFWarn",
        "savVoting",     "savVoteMin", "savVoteTime", "chkAutoLoad", "SSTab2"};
    EXPECT_EQ(order, expected);
}

TEST_F(Win32FormTest, TabKeyThroughTheMessageLoopLeavesTheMultiLineBox) {
    SetFocus(control(C::savServerName));
    pressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), countryEdit(*module_));
    SetFocus(control(C::savMessage));
    pressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), control(C::savBluePass));
    EXPECT_EQ(form().text(C::savMessage), "");
}

TEST_F(Win32FormTest, FocusAloneChoosesNoOptionElementSpaceDoes) {
    HWND enabled = control(C::savPunkbuster, 1);
    SetFocus(enabled);
    pumpForm();
    EXPECT_EQ(GetFocus(), enabled);
    EXPECT_EQ(form().optionElement(C::savPunkbuster), -1);
    SendMessageW(enabled, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(enabled, WM_KEYUP, VK_SPACE, 0xC0000001);
    pumpForm();
    EXPECT_EQ(form().optionElement(C::savPunkbuster), 1);
}

// Typing a code is the form contract's; picking from the dropped-down list
// is only here.
TEST_F(Win32FormTest, CountryPickedFromTheListShowsItsCode) {
    HWND combo = control(C::savCountry);
    const int gb = contract::indexOfCountry("GB");
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(gb), 0);
    SendMessageW(windows().window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    pumpForm();
    EXPECT_EQ(form().listIndex(C::savCountry), gb);
    EXPECT_EQ(form().text(C::savCountry), "GB");
}

// A text is set while its box counts as hidden, so it is drawn once, later:
// the box must come back shown, hold the text and have laid it out.
TEST_F(Win32FormTest, TextSetOnAShownBoxIsShownAndLaidOut) {
    HWND message = control(C::savMessage);
    ASSERT_TRUE(IsWindowVisible(message));
    std::string lines;
    for (int i = 0; i < 12; ++i) lines += "Line " + std::to_string(i) + "\r\n";
    form().setText(C::savMessage, lines);
    EXPECT_TRUE(IsWindowVisible(message));
    pumpForm();
    RECT pending{};
    EXPECT_FALSE(GetUpdateRect(message, &pending, FALSE));
    EXPECT_EQ(form().text(C::savMessage), lines);
    EXPECT_EQ(SendMessageW(message, EM_GETLINECOUNT, 0, 0), 13);
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(message, SB_VERT, &bar));
    EXPECT_GT(bar.nMax + 1, static_cast<int>(bar.nPage));  // more lines than fit: scrolling is on
}

// --- Geometry ------------------------------------------------------------------------------------

// Where each piece goes is the placement's (unit tests); here a sample of
// windows shows the twips turned into pixels at the system DPI.
TEST_F(Win32FormTest, PositionsAreTheTwipsOfTheCatalogueAtTheSystemDpi) {
    HWND f = windows().window();
    const auto expectAt = [&](HWND h, int left, int top, int width, int height, const char* what) {
        const RECT r = onForm(h, f);
        EXPECT_EQ(r.left, px(left)) << what;
        EXPECT_EQ(r.top, px(top)) << what;
        EXPECT_EQ(r.right - r.left, px(width)) << what;
        EXPECT_EQ(r.bottom - r.top, px(height)) << what;
    };
    expectAt(windows().frameWindow(Frame::Frame2), 240, 240, 5055, 1815, "Frame2");
    expectAt(windows().tabWindow(), 5520, 360, 5445, 4695, "SSTab2");
    expectAt(control(C::savServerName), 240 + 1080, 240 + 360, 3855, 285, "savServerName");
    // The restriction lists end on a whole row, within their design height.
    const RECT weapons = onForm(control(C::lstWeapons), f);
    const int rowHeight = static_cast<int>(SendMessageW(control(C::lstWeapons), LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(weapons.left, px(5520 + 240 + 120));
    EXPECT_EQ(weapons.top, px(360 + 1680 + 240));
    EXPECT_EQ(weapons.right - weapons.left, px(2775));
    EXPECT_LE(weapons.bottom - weapons.top, px(2535));
    EXPECT_GT(weapons.bottom - weapons.top, px(2535) - rowHeight);
    // Combo boxes: the closed box is as high as the catalogue says.
    expectAt(control(C::savMaxFF), 5520 + 240 + 1560, 360 + 2160 + 600, 975, 315, "savMaxFF");
    if (windows().pictureWindow()) expectAt(windows().pictureWindow(), 10560, 5520, 495, 495, "Picture1");

    // Form_Load placed the window at 2, 30, 740 x 403 host pixels (scaled with the DPI).
    RECT r{};
    GetWindowRect(f, &r);
    MapWindowPoints(nullptr, formHostWindow(), reinterpret_cast<POINT*>(&r), 2);
    const int dpi = windows().dpi();
    EXPECT_EQ(r.left, MulDiv(2, dpi, 96));
    EXPECT_EQ(r.top, MulDiv(30, dpi, 96));
    EXPECT_EQ(r.right - r.left, MulDiv(740, dpi, 96));
    EXPECT_EQ(r.bottom - r.top, MulDiv(403, dpi, 96));
}

// --- The host's window -------------------------------------------------------------------------

// Being shown in, and hidden from, the host's window is the script tests'
// part (hide_and_show); the styles that let the host's keyboard reach the
// controls are only here.
// The form answers WM_SETCURSOR with the hourglass while busy, and leaves
// the cursor to the system otherwise.
TEST_F(Win32FormTest, HourglassWhileBusy) {
    HWND f = windows().window();
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    form().setMousePointer(11);
    SetCursor(arrow);
    EXPECT_EQ(SendMessageW(f, WM_SETCURSOR, reinterpret_cast<WPARAM>(control(C::savTime)), overClient), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    form().setMousePointer(0);
    EXPECT_EQ(SendMessageW(f, WM_SETCURSOR, reinterpret_cast<WPARAM>(control(C::savTime)), overClient), FALSE);
}

// --- The painting hook's life -------------------------------------------------------------------

TEST_F(Win32FormTest, LoadInstallsThePaintingHookOnTheTabControlExceptInDevelopmentMode) {
    for (bool development : {false, true}) {
        module_->unloadForm();
        developmentMode_ = development;
        EXPECT_EQ(windows().gridHooked(), !development);
        EXPECT_EQ(GetPropA(windows().tabWindow(), "lpPROC") != nullptr, !development);
        EXPECT_EQ(GetPropA(windows().tabWindow(), "PctOBJ") != nullptr, !development);
    }
}

// Whether the tab control still had the painting hook when it was destroyed.
HWND watchedTabs = nullptr;
bool hookedAtDestroy = true;
LRESULT CALLBACK watchDestroy(int code, WPARAM wp, LPARAM lp) {
    const auto& call = *reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && call.hwnd == watchedTabs && call.message == WM_DESTROY)
        hookedAtDestroy = GetPropA(call.hwnd, "lpPROC") != nullptr || GetPropA(call.hwnd, "PctOBJ") != nullptr;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(Win32FormTest, UnloadRemovesTheHookBeforeTheTabControlGoes) {
    watchedTabs = windows().tabWindow();
    ASSERT_TRUE(windows().gridHooked());
    hookedAtDestroy = true;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watchDestroy, nullptr, GetCurrentThreadId());
    module_->unloadForm();
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(IsWindow(watchedTabs));
    EXPECT_FALSE(hookedAtDestroy);
}

TEST_F(Win32FormTest, HostWindowDestroyedFirstStillUnhooksAndUnloadsCleanly) {
    module_->unloadForm();
    const int gdiBefore = win::liveCountedGdiObjects();
    HWND host = CreateWindowExW(WS_EX_CONTROLPARENT, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                                formHostWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
    auto made = createShownForm(*module_);
    made->setParentWindow(reinterpret_cast<uintptr_t>(host));
    watchedTabs = win32Windows(*made)->tabWindow();
    hookedAtDestroy = true;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watchDestroy, nullptr, GetCurrentThreadId());
    DestroyWindow(host);  // takes the form's windows with it
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(hookedAtDestroy);
    EXPECT_FALSE(IsWindow(watchedTabs));
    made.reset();  // Form_Unload after the fact: nothing left to destroy twice
    EXPECT_EQ(win::liveCountedGdiObjects(), gdiBefore);
}

// --- Image buttons --------------------------------------------------------------------------------

// A caption lies lower than its picture and reaches below it, where Frame3
// shows through. A press there, near the caption's bottom edge, is still the
// button's.
TEST_F(Win32FormTest, APressNearTheBottomEdgeOfACaptionBelowItsPictureIsTheButtons) {
    module_->state.basePath = win::narrow(test::demoFolder());
    const auto find = [&](const wchar_t* name) {
        AutomationRequest request;
        request.name = name;
        SendMessageW(windows().window(), automationMessage(), 0, reinterpret_cast<LPARAM>(&request));
        return request;
    };
    const AutomationRequest caption = find(L"cmdUpdate"), picture = find(L"cmdUpdateImg");
    HWND frame3 = windows().frameWindow(Frame::Frame3);
    ASSERT_EQ(caption.window, frame3);
    ASSERT_EQ(picture.window, frame3);
    RECT shown{};
    GetClientRect(frame3, &shown);
    // The lowest row of the caption that Frame3 shows lies below the picture.
    const POINT at{(caption.area.left + caption.area.right) / 2, std::min(caption.area.bottom, shown.bottom) - 1};
    ASSERT_GE(at.y, picture.area.bottom);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) {
        PostMessageW(frame3, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(at.x, at.y));
        pumpForm();
    }
    // Update ran: with no settings from a server it refuses with its notice.
    ASSERT_EQ(boxes_->shown.size(), 1u);
    EXPECT_EQ(boxes_->shown[0].first, "Failed!");
    EXPECT_EQ(boxes_->shown[0].second,
              "There seems to have been a problem collecting data!\r\n\r\nUnable to update server settings!");
}

// --- Resources -------------------------------------------------------------------------------------

TEST_F(Win32FormTest, TwentyFormsCreatedAndUnloadedGiveBackEveryWindowFontAndBrush) {
    module_->unloadForm();
    const int gdiBefore = win::liveCountedGdiObjects();
    for (int i = 0; i < 20; ++i) {
        std::vector<HWND> made;
        {
            auto made_form = createShownForm(*module_);
            Win32FormWindows& w = *win32Windows(*made_form);
            EXPECT_EQ(win::liveCountedGdiObjects(), gdiBefore + 4);  // two fonts, two brushes
            made.push_back(w.window());
            for (const ControlRow& r : controls()) made.push_back(w.controlWindow(r.id));
            made.push_back(w.tabWindow());
            for (const FrameRow& f : frames()) made.push_back(w.frameWindow(f.id));
        }
        pumpForm();
        EXPECT_EQ(win::liveCountedGdiObjects(), gdiBefore);
        for (HWND h : made) ASSERT_FALSE(IsWindow(h)) << "form " << i;
    }
    // Nothing of the forms is left among the host's children.
    EXPECT_EQ(GetWindow(formHostWindow(), GW_CHILD), nullptr);
}

}  // namespace
}  // namespace kora::testing
