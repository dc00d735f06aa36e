// A host for the real plug-in inside the harness's own process: the plug-in
// created by its ProgID (so the registered zelrcKORA.dll runs, as in the
// client), a visible host window for the form, the relay window through which
// the utility component hands over requests, and the dialog answerer for the
// plug-in's message boxes and file dialogs. Everything runs on the thread that
// made the host.
#pragma once

#include "../style_support.h"

#include <windows.h>

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "base/raii_win.h"
#include "box_answerer_win.h"
#include "dialog_answerer_win.h"
#include "form_driver_win.h"
#include "relay_win.h"
#include "server_settings.h"
#include "stand_in_win.h"
#include "zelrcKORA_h.h"

namespace kora::harness {

using Clock = std::chrono::steady_clock;

class PluginHost {
public:
    PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;
    ~PluginHost();

    // Creates the plug-in object (loading the DLL when it is not loaded).
    bool create();
    // Releases it, destroys the form the host's window holds, and unloads the
    // DLL, which then releases what remains of its module.
    void release();
    _clsPlugin* plugin() const noexcept { return plugin_.get(); }

    HRESULT load(long index, const std::wstring& key, const std::wstring& edition = L"");
    HRESULT reply(const std::wstring& text);
    // Handles every pending message.
    void pump();
    // Paints everything invalid in the host window and its children now.
    void paint();

    HWND window() const noexcept { return window_; }
    suite::FormDriver& driver() noexcept { return driver_; }
    // The next file dialog is confirmed with this path ("" cancels).
    void answerNextDialog(std::wstring path) { dialogAnswers_.push_back(std::move(path)); }

    std::vector<suite::RelayRequest> requests;
    Clock::time_point lastRequestAt{};
    std::vector<suite::SeenBox> boxes;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onFileDialog(HWND dialog);

    HWND window_ = nullptr;
    suite::FormDriver driver_{nullptr};
    std::unique_ptr<suite::RelayWindow> relay_;
    std::unique_ptr<suite::DialogAnswerer> answerer_;
    std::deque<std::wstring> dialogAnswers_;
    win::ComPtr<_clsPlugin> plugin_;
};

// The folder of the harness's executable: the plug-in's BasePath here.
std::wstring exeFolder();
// Removes a file tree below BasePath that a run left (reports, logs, ...).
using suite::removeTree;

// A full SettingsReply: every general field, five roles, `weapons` weapons,
// with a host message of `messageBytes` characters when that is not 0.
suite::ServerSettings fullServer(int weapons = 60, size_t messageBytes = 0);
std::string fullReply(int weapons = 60, size_t messageBytes = 0);

// Private bytes of this process (GetProcessMemoryInfo's PrivateUsage).
size_t privateBytes();
using testing::freeGdiCapacity;

}  // namespace kora::harness
