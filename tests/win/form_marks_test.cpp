// The marks as the Win32 form draws them: where the warning mark stands and
// on which page, what the caption's font is, what the tooltip holds, that a
// changed caption looks changed at every DPI, and that a form gives back the
// fonts and windows the marks made and survives a mark it cannot draw.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/gdi_win.h"
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

// A window's client area as it paints itself, after its size.
std::vector<DWORD> drawn(HWND h) {
    RECT rc{};
    GetClientRect(h, &rc);
    std::vector<DWORD> out{static_cast<DWORD>(rc.right), static_cast<DWORD>(rc.bottom)};
    const win::WindowDC screen(nullptr);
    win::GdiBitmap bitmap(CreateCompatibleBitmap(screen.get(), rc.right, rc.bottom));
    {
        win::SelectedMemoryDC dc;
        dc.reset(screen.get(), bitmap.get());
        FillRect(dc.get(), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, rc.right, -rc.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    out.resize(2 + static_cast<size_t>(rc.right) * static_cast<size_t>(rc.bottom));
    GetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(rc.bottom), out.data() + 2, &info, DIB_RGB_COLORS);
    return out;
}

// Whether the window's text fits its client area in the font it has.
bool wholeCaption(HWND h) {
    wchar_t text[64] = {};
    const int length = GetWindowTextW(h, text, 64);
    const win::WindowDC dc(h);
    const win::ScopedSelect font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text, length, &size);
    RECT rc{};
    GetClientRect(h, &rc);
    return rc.right >= size.cx;
}

// Any change marks a setting or list: a check value, an index, an element, a
// selection or a text.
void change(Form& f, Control c) {
    const int item = f.itemCount(c) > 0 ? 0 : -1;
    switch (row(c).kind) {
    case Kind::Check: f.setCheckValue(c, f.checkValue(c) == 1 ? 0 : 1); break;
    case Kind::Combo:
    case Kind::List: f.setListIndex(c, f.listIndex(c) == 0 ? 1 : 0); break;
    case Kind::Option: f.setOptionElement(c, f.optionElement(c) == 1 ? 0 : 1); break;
    case Kind::MultiList:
        if (item < 0)
            f.addItem(c, "Rifle");
        else
            f.setItemSelected(c, item, !f.itemSelected(c, item));
        break;
    default: f.setText(c, f.text(c) + "1"); break;
    }
}

// Wine takes the system DPI from the registry when a process starts: the
// test runs again in a process started while the registry says `dpi`, and the
// registry gets its value back after. The exit code of that run.
DWORD runAtDpi(const char* test, int dpi) {
    win::RegKey desktop;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      desktop.put()) != ERROR_SUCCESS)
        return ~0u;
    DWORD saved = 0, size = sizeof saved;
    const bool had = RegQueryValueExW(desktop.get(), L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&saved),
                                      &size) == ERROR_SUCCESS;
    const auto setDpi = [&](DWORD value) {
        RegSetValueExW(desktop.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    setDpi(static_cast<DWORD>(dpi));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_brief=1 --gtest_filter=Win32MarksTest." + win::widen(test);
    SetEnvironmentVariableW(L"KORA_MARKS_DPI", std::to_wstring(dpi).c_str());
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    DWORD code = ~0u;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &started)) {
        const win::FileHandle process(started.hProcess), thread(started.hThread);
        WaitForSingleObject(process.get(), INFINITE);
        GetExitCodeProcess(process.get(), &code);
    }
    SetEnvironmentVariableW(L"KORA_MARKS_DPI", nullptr);
    if (had)
        setDpi(saved);
    else
        RegDeleteValueW(desktop.get(), L"LogPixels");
    return code;
}

// Refuses every new tool, as version 5 of the common controls refuses a
// structure larger than it knows.
LRESULT CALLBACK refuseTools(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    return msg == TTM_ADDTOOLW ? FALSE : DefSubclassProc(h, msg, wp, lp);
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
        {savTime, [](Form& f) { f.setText(savTime, "101"); }, true,
         "Update sends 30: the server takes 0 to 100 for Time Limit."},
        {savMessage, [](Form& f) { f.setText(savMessage, "Hi"); }, true, ""},  // an underlined caption
        {savMinPing, [](Form& f) { f.setText(savMinPing, "5"); }, true, ""},   // the caption is lblMinPing
        {savMaxPing, [](Form& f) { f.setText(savMaxPing, "x"); }, true,
         "Update sends 15000: Max Ping must be a number."},
        {lstRoles, [](Form& f) { f.setItemSelected(lstRoles, 3, true); }, true, ""},  // the caption is Frame10
        {savVoteMin, [](Form& f) { f.setText(savVoteMin, "x"); }, true,  // "Voting Period:" is close beside it
         "Update sends 6: Min. Players for Vote must be a number."},
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
        // It covers no caption, and a caption beside it is still whole.
        for (const ControlRow& r : controls()) {
            HWND label = r.kind == Kind::Label ? w.controlWindow(r.id) : w.labelWindow(r.id);
            RECT both{}, at = label ? onForm(label, w.window()) : RECT{};
            EXPECT_FALSE(label && IntersectRect(&both, &mark, &at)) << r.name;
            EXPECT_TRUE(!label || at.top != mark.top || wholeCaption(label)) << r.name << " is cut";
        }
        for (int page = 0; page < 4 && pageOf(c.control) >= 0; ++page) {
            if (page == pageOf(c.control)) continue;
            form().selectTab(page);
            pumpForm();
            EXPECT_FALSE(IsWindowVisible(warning)) << "page " << page;
        }
    }
}

// Half the settings changed at a time, so that each caption is seen changed
// and unchanged beside changed neighbours and unchanged ones: a changed
// caption is drawn otherwise than on the form without marks (the same values
// taken as the baseline), and whole; an unchanged one exactly as there. At
// this process's DPI, then at each other DPI in a process of its own.
TEST_F(Win32MarksTest, AChangedCaptionLooksChangedAtEveryDpi) {
    const char* child = std::getenv("KORA_MARKS_DPI");
    ASSERT_EQ(windows().dpi(), child ? std::atoi(child) : windows().dpi()) << "the registry's DPI missed the process";
    for (size_t half : {0u, 1u}) {
        freshForm();
        std::vector<Control> marked;  // a setting Update never sends is never marked
        for (Control c : markedControls())
            if (!isSetting(c) || row(c).update.send != Send::None) marked.push_back(c);
        for (size_t i = half; i < marked.size(); i += 2) change(form(), marked[i]);
        pumpForm();
        std::vector<std::vector<DWORD>> looks;
        for (size_t i = 0; i < marked.size(); ++i) {
            HWND caption = windows().captionWindow(marked[i]);
            looks.push_back(drawn(caption));
            EXPECT_TRUE(i % 2 != half || markFrame(marked[i]) || wholeCaption(caption)) << name(marked[i]) << " is cut";
        }
        form().takeBaseline();
        pumpForm();
        for (size_t i = 0; i < marked.size(); ++i)
            EXPECT_EQ(drawn(windows().captionWindow(marked[i])) != looks[i], i % 2 == half)
                << name(marked[i]) << " at " << windows().dpi() << " dpi";
    }
    if (child) return;
    for (int dpi : {96, 120, 144, 192})
        EXPECT_TRUE(dpi == windows().dpi() || runAtDpi("AChangedCaptionLooksChangedAtEveryDpi", dpi) == 0) << dpi;
}

TEST_F(Win32MarksTest, AFormWithMarksGivesBackItsFontsAndWindowsAndSurvivesAMarkItCannotDraw) {
    module_->unloadForm();
    const int gdiBefore = win::liveCountedGdiObjects();
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
        // Four fonts, two brushes, and the narrowed faces of captions that a
        // warning mark left short of room (the marks of the empty form's numbers).
        EXPECT_GE(win::liveCountedGdiObjects(), gdiBefore + 6);
        made->setText(savTime, "5");
        EXPECT_FALSE(IsWindow(warning));
        EXPECT_EQ(w.warningWindow(savTime), nullptr);
        // A mark that cannot be drawn fails no change and no confirmation; it
        // is drawn at the next change that can draw it.
        ASSERT_TRUE(SetWindowSubclass(tooltip, refuseTools, 1, 0));
        EXPECT_NO_THROW(made->setText(savTime, "500"));
        EXPECT_NO_THROW(made->takeBaseline());
        EXPECT_EQ(made->text(savTime), "500");
        EXPECT_EQ(w.warningWindow(savTime), nullptr);
        RemoveWindowSubclass(tooltip, refuseTools, 1);
        made->setText(savTime, "501");
        warning = w.warningWindow(savTime);
        EXPECT_TRUE(IsWindow(warning));
    }
    pumpForm();
    EXPECT_FALSE(IsWindow(tooltip));
    EXPECT_FALSE(IsWindow(warning));
    EXPECT_EQ(win::liveCountedGdiObjects(), gdiBefore);
}

}  // namespace
}  // namespace kora::testing
