#include "plugin/module_win.h"

#include <cstdlib>
#include <mutex>
#include <map>
#include <utility>

#include "base/text_win.h"
#include "errors/show_message.h"
#include "exchange/file_service_win.h"
#include "exchange/update.h"
#include "form/form_win.h"
#include "plugin/components_win.h"
#include "plugin/interface.h"
#include "profiles/file_dialogs_win.h"
#include "profiles/profiles.h"

namespace kora::win {
namespace {

// Real, modal message boxes, owned by the thread's active window (the host's
// or the form); MB_OK alone: no icon, no help button.
class Win32MessageBoxes final : public MessageBoxes {
public:
    void show(std::string_view title, std::string_view text) override {
        MessageBoxW(GetActiveWindow(), widen(text).c_str(), widen(title).c_str(), MB_OK);
    }
};

// Modules by thread. Allocated once and never destroyed: at process exit the
// components' DLLs may be gone already, so nothing may be released then.
struct ThreadModules {
    std::mutex lock;
    std::map<DWORD, std::unique_ptr<Module>> modules;
};
ThreadModules& threadModules() {
    static auto* table = new ThreadModules;
    return *table;
}

std::string folderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return narrow(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

std::unique_ptr<Module> newModule() {
    Module::Services services;
    services.files = std::make_shared<Win32FileService>();
    services.boxes = std::make_shared<Win32MessageBoxes>();
    services.dialogs = std::make_shared<Win32FileDialogs>();
    services.createForm = [](Module& m) { return createModuleForm(m, developmentMode()); };
    services.formWindowExists = [](FormWindow& form) {
        const Win32FormWindows* windows = win32Windows(form);
        return !windows || (windows->window() && IsWindow(windows->window()));  // null once destroyed
    };
    return std::make_unique<Module>(std::move(services));
}

StartUpInputs startUpInputs() {
    StartUpInputs in;
    in.developmentMode = developmentMode();
    in.hostExePath = [] { return narrow(moduleFileName(nullptr)); };
    in.pluginFolder = [] { return folderOf(moduleFileName(codeModule())); };
    in.createUtility = [] { return dispatchUtility(createByProgId(L"zelrcUTK.clsUTK")); };
    in.createCodec = [] { return dispatchCodec(createByProgId(L"zelrcCDX.clsCodec")); };
    return in;
}

}  // namespace

std::unique_ptr<FormWindow> createModuleForm(Module& module, bool development) {
    Win32FormOptions options;
    options.developmentMode = development;
    options.buttons.update = [&module](int button) { onUpdateMouseUp(module, button); };
    options.buttons.save = [&module](int button) { onSaveMouseUp(module, button); };
    options.buttons.load = [&module](int button) { onLoadMouseUp(module, button); };
    return createWin32Form(module, options);
}

bool developmentMode() {
    const wchar_t* value = _wgetenv(L"KORASTAND_DEVELOPMENT");
    return value && std::wstring_view(value) == L"1";
}

Module& threadModule() {
    ThreadModules& table = threadModules();
    const DWORD thread = GetCurrentThreadId();
    Module* module = nullptr;
    {
        std::lock_guard guard(table.lock);
        if (const auto found = table.modules.find(thread); found != table.modules.end()) {
            Module& m = *found->second;
            if (m.formLoaded() && !m.stillHolds(m.form())) m.retireForm();
            m.dropRetiredForms();
            return m;
        }
        module = table.modules.emplace(thread, newModule()).first->second.get();
    }
    // Outside the lock: the start-up may show a modal box, whose message loop
    // can call back into the plug-in on this thread and must find the module.
    startUp(*module, startUpInputs());
    return *module;
}

bool threadModuleInUse() noexcept {
    try {
        ThreadModules& table = threadModules();
        std::lock_guard guard(table.lock);
        const auto found = table.modules.find(GetCurrentThreadId());
        if (found == table.modules.end()) return false;
        Module& m = *found->second;
        return m.busy() || (m.formLoaded() && m.stillHolds(m.form()));
    } catch (...) {
        // Without an answer the form counts as there: keeping the library is harmless.
        return true;
    }
}

bool releaseThreadModule() noexcept {
    ThreadModules& table = threadModules();
    decltype(ThreadModules::modules)::node_type released;
    bool none = false;
    {
        std::lock_guard guard(table.lock);
        released = table.modules.extract(GetCurrentThreadId());
        none = table.modules.empty();
    }
    try {
        released = {};  // unloads the form, releases the components
    } catch (...) {}
    return none;
}

}  // namespace kora::win
