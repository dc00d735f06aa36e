// The Win32 form's class, shared by its source files: form_win.cpp (the
// windows, Form_Load, Form_Unload, pages), form_messages_win.cpp (messages,
// handed to the core's event functions), form_contract_win.cpp (the
// form's storage on the real controls) and form_marks_win.cpp (the marks).
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "base/gdi_win.h"
#include "base/raii_win.h"
#include "base/window_win.h"
#include "form/automation_win.h"
#include "form/form_win.h"
#include "form/marks.h"
#include "form/placement.h"
#include "style/style_win.h"

namespace kora::win {

// What the form's source files share.
namespace parts {

inline constexpr wchar_t kFrameClass[] = L"KorastandFrame";
inline constexpr int kFirstId = 1000;
inline constexpr UINT kSyncCountry = WM_APP + 1;
inline constexpr UINT kResumeRedraw = WM_APP + 2;
inline constexpr UINT kShowListMarks = WM_APP + 3;
inline constexpr COLORREF kBack = static_cast<COLORREF>(layout::BackColour);
inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kBlack = RGB(0, 0, 0);
inline constexpr COLORREF kWarningColour = RGB(200, 0, 0);
inline constexpr COLORREF kChangedColour = RGB(0, 0, 192);  // a changed setting's caption
inline constexpr int kPages = 4;
// Labels are one line: a caption too long for its box is cut, never wrapped
// onto a second line that the box cannot show.
inline constexpr DWORD kLabelStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX | WS_GROUP;

// Subclass ids. Few controls are subclassed, and none that carries many
// messages: Wine keeps a subclass in a window property, which costs every
// message to the window a round trip to its server.
inline constexpr UINT_PTR kOptionButton = 2;
inline constexpr UINT_PTR kPlayersList = 3;
inline constexpr UINT_PTR kGroupBox = 4;

[[noreturn]] void raiseWindowFailure(const char* what);

inline bool keyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

inline std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

inline LONG textWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

inline bool isEditWindow(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    return lstrcmpiW(name, L"Edit") == 0;
}

}  // namespace parts

// The form's fonts and brushes are counted, so the tests can prove that every
// form gives back all it made.
using Font = CountedGdiObject<HFONT>;
using Brush = CountedGdiObject<HBRUSH>;

class Win32Form final : public FormWindow, public Win32FormWindows {
public:
    Win32Form(Module& module, const Win32FormOptions& options);
    ~Win32Form() override;

    // Form_Load: placement, number lists, the visual style.
    void load();

    // The window (form_win.cpp).
    void setParentWindow(uint64_t hwnd) override;
    void show() override;
    void hide() override;
    void selectTab(int tab) override;
    void setMousePointer(int pointer) override;
    void setButtonState(std::string_view pictureName, std::string_view state) override;

    // Win32FormWindows.
    HWND window() const override { return hwnd_; }
    HWND controlWindow(Control c, int element) const override;
    HWND labelWindow(Control c) const override { return labels_[index(c)]; }
    HWND frameWindow(Frame f) const override { return frames_[static_cast<size_t>(f)]; }
    HWND staticLabelWindow(size_t i) const override { return i < statics_.size() ? statics_[i] : nullptr; }
    HWND tabWindow() const override { return tabs_; }
    HWND pictureWindow() const override { return picture_.hwnd; }
    int dpi() const override { return dpi_; }
    int currentTab() const override { return currentTab_; }
    bool gridHooked() const override { return hooked_; }
    HWND captionWindow(Control c) const override;
    HWND warningWindow(Control c) const override { return warnings_[index(c)]; }
    HWND tooltipWindow() const override { return tooltip_.get(); }

    static LRESULT CALLBACK keyboardHook(int code, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

protected:
    // The form's storage on the controls (form_contract_win.cpp).
    std::string storedText(Control c) const override;
    void storeText(Control c, std::string_view text) override;
    int storedValue(Control c) const override;
    void storeValue(Control c, int value) override;
    int storedItemCount(Control c) const override;
    void storedItem(Control c, int index, std::string& to) const override;
    void appendItem(Control c, std::string_view text) override;
    void removeItems(Control c) override;
    bool storedSelection(Control c, int index) const override;
    void storeSelection(Control c, int index, bool selected) override;
    bool storedEnabled(Control c) const override;
    void storeEnabled(Control c, bool enabled) override;
    void markMayChange(Control c) override;

private:
    struct Entry {
        const Piece* piece;
        HWND hwnd;
    };
    // What the real controls cannot hold but the contract still answers (the
    // in-memory form keeps the same): texts of option groups and multi-select
    // lists, list indexes of kinds without a selection of their own.
    struct Extra {
        std::string text;
        int value = -1;
    };

    static size_t index(Control c) { return static_cast<size_t>(c); }
    int px(int twips) const { return MulDiv(twips, dpi_, 1440); }
    RECT pixels(const Rect& twips) const;
    RECT fitCaption(const Piece& piece, RECT r, int extra, HDC dc) const;  // measured with dc's font, if any
    // The box of a check box or option button and the gap before its caption.
    int buttonBoxWidth() const { return MulDiv(13 + 6, dpi_, 96); }

    // Building and unloading (form_win.cpp).
    // `owner`: a window of the form's own class, which belongs to the form.
    HWND createChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, const RECT& r, int id,
                     Win32Form* owner = nullptr);
    void createPieces();
    HWND createPiece(const Piece& piece, int id);
    HWND createControl(const Piece& piece, int id, const RECT& r);
    void destroy() noexcept;
    void quietWhileFilling(HWND h);
    void resumeRedraw();

    // Messages (form_messages_win.cpp): the form window's and Frame3's.
    LRESULT handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT onFrameMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void onCommand(int id, int code);
    LRESULT onCtlColor(UINT msg, HDC dc, HWND child);
    LRESULT eraseToBack(HWND hwnd, HDC dc) const;       // fills the client area with the form's colour
    LRESULT answerAutomation(LPARAM request) noexcept;  // automation_win.cpp: returns TRUE when understood
    LRESULT onControlMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id);
    void paintFrame(HWND hwnd);  // WM_PAINT
    void syncCountrySelection(bool keepCaret);
    void showPage(int tab);
    void cycleTab(int delta);

    // Marks (form_marks_win.cpp): the core decides, these draw.
    void showMark(Control c) noexcept;
    void fitCaptionWindow(HWND h);
    void refitCaptionsBeside(Control c);
    Font makeFont(int width, bool bold, bool underlined) const;  // Tahoma 8.25 pt
    HFONT captionFont(bool bold, bool underlined);               // the bold faces are made on first use, then kept
    HFONT fittingFont(HDC dc, const std::wstring& text, LONG room, bool bold, bool underlined);
    void showWarning(Control c, const std::string& notice);
    bool isChangedCaption(HWND h) const;
    RECT onForm(HWND h) const;

    // Storage helpers (form_contract_win.cpp).
    HWND handleOf(Control c) const { return controls_[index(c)]; }

    Module& module_;
    Win32FormOptions options_;
    WindowClass formClass_, frameClass_;
    int dpi_ = 96;
    Font font_, underlined_, bold_, boldUnderlined_;
    Brush back_, white_;
    HWND hwnd_ = nullptr;
    HWND tabs_ = nullptr;
    std::vector<Entry> entries_;  // by child id - kFirstId, in creation order
    std::array<HWND, kControlCount> controls_{};
    std::array<HWND, kControlCount> labels_{};
    std::array<std::vector<HWND>, kControlCount> elements_{};
    std::array<HWND, static_cast<size_t>(Frame::Count_)> frames_{};
    std::vector<HWND> statics_;
    std::vector<HWND> opaqueLabels_;
    std::array<Extra, kControlCount> extra_{};
    std::array<Mark, kControlCount> marks_{};                  // the marks as the windows show them
    std::array<HWND, kControlCount> warnings_{};               // warning marks beside the corrected settings
    win::Window tooltip_;                                      // the warning marks' notices
    std::map<std::tuple<int, bool, bool>, Font> narrowFonts_;  // by width, bold, underlined
    int currentTab_ = 0;
    int creatingTab_ = -1;
    SelectedMemoryDC measuring_;  // while the pieces are created: measures captions in the form's font
    int mousePointer_ = 0;
    bool focusingOption_ = false;
    bool syncingCountry_ = false;
    bool listMarksPending_ = false;
    bool hooked_ = false;
    Hook keyboardHook_;        // Ctrl+Tab from any control
    std::vector<HWND> quiet_;  // lists whose drawing waits for the message loop
    style::PictureBox picture_;
    std::unique_ptr<style::ImageButtons> buttons_;
};

}  // namespace kora::win
