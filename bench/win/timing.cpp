// kora_wine_timing [RUNS]: the real plug-in's user-interface paths under
// Wine, each the median of RUNS runs (11 unless given) and each beside a floor
// measured in the same process: a window-system job of the same shape that
// cannot be done faster. One line per figure, `name value unit ratio` (a
// floor's line shows 1), for ./korastand bench. The plug-in is hosted by the
// stress harness's rig (tests/win/harness/plugin_host.h).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/text_win.h"
#include "plugin_host.h"

namespace kora::harness {
namespace {

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Figure {
    std::vector<double> subject, floor;
};

void print(const char* name, const char* floorName, const Figure& f) {
    const double s = median(f.subject), fl = median(f.floor);
    std::printf("%s %.4g us %.1f\n", name, s, fl > 0 ? s / fl : 0.0);
    std::printf("%s %.4g us 1\n", floorName, fl);
}

struct ClassSearch {
    const wchar_t* name;
    HWND found = nullptr;
};

BOOL CALLBACK matchClass(HWND h, LPARAM p) {
    auto* search = reinterpret_cast<ClassSearch*>(p);
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    if (lstrcmpiW(name, search->name) != 0) return TRUE;
    search->found = h;
    return FALSE;
}

HWND findChildOfClass(HWND parent, const wchar_t* className) {
    ClassSearch search{className};
    EnumChildWindows(parent, &matchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND control(PluginHost& host, const char* name) {
    HWND h = nullptr;
    host.driver().findControl(name, 0, h);
    return h;
}

// FillNumberCombos again on the form's own three combo boxes, emptied first:
// the same 2,201 additions in the same order, storage reserved and drawing
// off as the form's load has them.
double refillNumberCombos(PluginHost& host) {
    HWND maxFF = control(host, "savMaxFF"), respawn = control(host, "savRespawn");
    HWND delay = control(host, "savDelay");
    if (!maxFF || !respawn || !delay) return 0;
    for (HWND h : {maxFF, respawn, delay}) SendMessageW(h, CB_RESETCONTENT, 0, 0);
    const auto start = Clock::now();
    SendMessageW(maxFF, CB_INITSTORAGE, 1000, 1000 * 8);
    SendMessageW(respawn, CB_INITSTORAGE, 601, 601 * 8);
    SendMessageW(delay, CB_INITSTORAGE, 601, 601 * 8);
    for (HWND h : {maxFF, respawn, delay}) SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    for (int n = 0; n <= 999; ++n) {
        const std::wstring text = std::to_wstring(n);
        const LPARAM p = reinterpret_cast<LPARAM>(text.c_str());
        SendMessageW(maxFF, CB_ADDSTRING, 0, p);
        if (n > 600) continue;
        SendMessageW(respawn, CB_ADDSTRING, 0, p);
        SendMessageW(delay, CB_ADDSTRING, 0, p);
    }
    for (HWND h : {maxFF, respawn, delay}) SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    return microseconds(Clock::now() - start);
}

// A bare child window of the host created, shown, painted and destroyed.
double bareWindow(PluginHost& host) {
    RECT r;
    GetClientRect(host.window(), &r);
    const auto start = Clock::now();
    HWND w = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, r.right, r.bottom, host.window(), nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(w);
    host.paint();
    const double us = microseconds(Clock::now() - start);
    DestroyWindow(w);
    host.pump();
    return us;
}

// Prints the figures; 0 when every path ran.
int runTiming(int runs) {
    PluginHost host;
    const std::wstring reply = win::widen(fullReply());
    Figure load, fill, remote, paint, update;
    fill.floor.clear();

    // LoadInterface on a fresh plug-in each time: the DLL unloaded in
    // between, so its form is created and loaded again.
    for (int run = -1; run < runs; ++run) {
        if (!host.create()) {
            std::fprintf(stderr, "kora_wine_timing: cannot create zelrcKORA.clsPlugin (is it registered?)\n");
            return 1;
        }
        const auto start = Clock::now();
        if (FAILED(host.load(3, L"k"))) {
            std::fprintf(stderr, "kora_wine_timing: LoadInterface failed\n");
            return 1;
        }
        host.paint();
        const double us = microseconds(Clock::now() - start);
        const double floorUs = bareWindow(host);
        const double fillUs = refillNumberCombos(host);
        host.release();
        if (std::getenv("KORA_TIMING_TRACE"))
            std::fprintf(stderr, "load %.0f floor %.0f fill %.0f us\n", us, floorUs, fillUs);
        if (run < 0) continue;  // the first run also loads the components' DLLs
        load.subject.push_back(us);
        load.floor.push_back(floorUs);
        fill.subject.push_back(fillUs);
    }

    // The other paths on one loaded form.
    if (!host.create() || FAILED(host.load(3, L"k"))) return 1;
    host.paint();
    HWND form = host.driver().form();
    HWND tabs = findChildOfClass(form, WC_TABCONTROLW);
    RECT tr{};
    GetWindowRect(tabs, &tr);
    MapWindowPoints(nullptr, host.window(), reinterpret_cast<POINT*>(&tr), 2);

    // Floors: 43 edit boxes taking a text each; a plain tab control of the
    // same pages and size; the same request text put together from its pieces.
    HWND floorParent = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 600, 400, host.window(), nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    std::vector<HWND> edits;
    for (int i = 0; i < 43; ++i)
        edits.push_back(CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE, 0, i * 8, 200, 8, floorParent, nullptr,
                                        GetModuleHandleW(nullptr), nullptr));
    HWND plainTabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, tr.left, tr.top,
                                     tr.right - tr.left, tr.bottom - tr.top, host.window(), nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    SendMessageW(plainTabs, WM_SETFONT, SendMessageW(tabs, WM_GETFONT, 0, 0), FALSE);
    const wchar_t* pages[] = {L"Team", L"Miscellaneous", L"Connection", L"Restrictions"};
    for (int i = 0; i < 4; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(pages[i]);
        SendMessageW(plainTabs, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SetWindowPos(plainTabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    host.paint();

    const auto paintOnce = [](HWND h) {
        InvalidateRect(h, nullptr, TRUE);
        const auto start = Clock::now();
        UpdateWindow(h);
        return microseconds(Clock::now() - start);
    };
    for (int run = -1; run < runs * 3; ++run) {
        // Each run answers a fresh fetch: after an Update the plug-in takes
        // a reply as the server's verdict, not as settings.
        if (FAILED(host.load(3, L"k"))) return 1;
        host.paint();
        auto start = Clock::now();
        host.reply(reply);
        const double remoteUs = microseconds(Clock::now() - start);
        start = Clock::now();
        for (size_t i = 0; i < edits.size(); ++i)
            SetWindowTextW(edits[i], (L"value " + std::to_wstring(run + static_cast<int>(i))).c_str());
        const double textsUs = microseconds(Clock::now() - start);
        host.paint();

        const double tabUs = paintOnce(tabs);
        const double plainUs = paintOnce(plainTabs);

        const size_t before = host.requests.size();
        start = Clock::now();
        host.driver().click("cmdUpdate", 0, 1);
        const auto giveUp = start + std::chrono::seconds(10);
        while (host.requests.size() == before && Clock::now() < giveUp) {
            host.pump();
            if (host.requests.size() == before) Sleep(0);
        }
        if (host.requests.size() == before) {
            std::fprintf(stderr, "kora_wine_timing: Update sent nothing\n");
            for (const auto& box : host.boxes)
                std::fprintf(stderr, "  box %s: %s\n", win::narrow(box.title).c_str(), win::narrow(box.text).c_str());
            return 1;
        }
        const double updateUs = microseconds(host.lastRequestAt - start);
        host.pump();
        const std::wstring& sent = host.requests.back().text;
        std::vector<std::wstring> pieces;
        for (size_t at = 0;;) {
            const size_t bar = sent.find(L'|', at);
            pieces.push_back(sent.substr(at, bar == std::wstring::npos ? bar : bar - at));
            if (bar == std::wstring::npos) break;
            at = bar + 1;
        }
        start = Clock::now();
        std::wstring built;
        for (size_t i = 0; i < pieces.size(); ++i) {
            if (i) built += L'|';
            built += pieces[i];
        }
        const double buildUs = microseconds(Clock::now() - start);
        if (built != sent) return 1;
        host.boxes.clear();
        host.requests.clear();
        if (run < 0) continue;
        remote.subject.push_back(remoteUs);
        remote.floor.push_back(textsUs);
        paint.subject.push_back(tabUs);
        paint.floor.push_back(plainUs);
        update.subject.push_back(updateUs);
        update.floor.push_back(buildUs);
    }
    DestroyWindow(plainTabs);
    DestroyWindow(floorParent);

    print("wine_load_interface_painted", "wine_floor_bare_window_painted", load);
    const double fillUs = median(fill.subject), loadUs = median(load.subject);
    // FillNumberCombos' line: its ratio is its share of LoadInterface.
    std::printf("wine_fill_number_combos %.4g us %.2f\n", fillUs, loadUs > 0 ? fillUs / loadUs : 0.0);
    print("wine_remote_data_full_reply", "wine_floor_43_window_texts", remote);
    print("wine_sstab2_paint", "wine_floor_plain_tab_paint", paint);
    print("wine_update_until_write_file", "wine_floor_request_text", update);
    std::fflush(stdout);
    return 0;
}

}  // namespace
}  // namespace kora::harness

int main(int argc, char** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int runs = argc >= 2 ? std::atoi(argv[1]) : 11;
    const int status = kora::harness::runTiming(runs > 0 ? runs : 11);
    CoUninitialize();
    return status;
}
