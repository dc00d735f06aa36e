// The DLL's entry points: DllMain, the class factory, DllGetClassObject,
// DllCanUnloadNow and self-registration (regsvr32).
#include <olectl.h>

#include <atomic>
#include <new>

#include "base/class_factory_win.h"
#include "plugin/module_win.h"
#include "plugin/plugin_win.h"
#include "plugin/registration_win.h"

namespace kora::win {
namespace {

std::atomic<long> g_locks{0};

constexpr wchar_t kProgId[] = L"zelrcKORA.clsPlugin";

constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

}  // namespace
}  // namespace kora::win

using namespace kora::win;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_clsPlugin)) return CLASS_E_CLASSNOTAVAILABLE;
    return ClassFactory::get(&createPlugin, liveObjects(), g_locks, iid, out);
}

STDAPI DllCanUnloadNow() {
    if (liveObjects() != 0 || g_locks != 0) return S_FALSE;
    // The module state outlives the objects: a host may release its object
    // after LoadInterface and create another for each later call. While the
    // form lies in the host's window, or an operation runs (a message box or
    // dialog of it lets the host ask meanwhile), the library stays loaded.
    if (threadModuleInUse()) return S_FALSE;
    // No object and no form are left, so the module state (components, the
    // form's remains) can go now, on this thread, while its apartment still exists.
    return releaseThreadModule() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    try {
        if (HRESULT hr = registerClass(CLSID_clsPlugin, kProgId, codeModule()); FAILED(hr)) return hr;
        const std::wstring path = moduleFileName(codeModule());
        ComPtr<ITypeLib> library;
        // REGKIND_REGISTER also registers _clsPlugin for the automation marshaler.
        if (HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, library.put()); FAILED(hr))
            return SELFREG_E_TYPELIB;
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

STDAPI DllUnregisterServer() {
    const HRESULT typeLib = UnRegisterTypeLib(LIBID_zelrcKORA, 1, 0, LOCALE_NEUTRAL, kSysKind);
    const HRESULT classes = unregisterClass(CLSID_clsPlugin, kProgId);
    if (FAILED(classes)) return classes;
    return typeLib == TYPE_E_REGISTRYACCESS ? SELFREG_E_TYPELIB : S_OK;
}
