// What the stand-in components share: their server plumbing (one creatable
// class each), the host's folder and the local time for their files.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "error_log.h"
#include "plugin/dispatch_object_win.h"
#include "plugin/registration_win.h"

namespace kora::suite {

// One in-process server with one creatable, apartment-threaded class.
class StandInServer {
public:
    using Create = win::DispatchObject* (*)(std::atomic<long>& liveObjects);

    StandInServer(const CLSID& clsid, std::wstring_view progId, Create create) noexcept
        : clsid_(clsid), progId_(progId), create_(create) {}

    HRESULT getClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept;
    HRESULT canUnloadNow() const noexcept;
    HRESULT registerServer() noexcept;
    HRESULT unregisterServer() noexcept;

private:
    const CLSID& clsid_;
    std::wstring_view progId_;
    Create create_;
};

// The host's root folder: the folder of the process's executable, without a
// trailing "\" (the same rule the plug-in uses for BasePath).
std::wstring hostBasePath();

Timestamp localNow();

// Writes `bytes` to `path` through a temporary file in the same folder, so a
// reader never sees half a file. Creates no folders. False on failure.
bool replaceFile(const std::wstring& path, std::string_view bytes);
// The whole file; nullopt when it cannot be read (missing included).
std::optional<std::string> readWholeFile(const std::wstring& path);
// Appends to a file, creating it. False on failure.
bool appendToFile(const std::wstring& path, std::string_view bytes);
// Creates the folder if missing (one level). False when it cannot exist.
bool ensureFolder(const std::wstring& path);
// Removes the folder and everything in it, walking the tree by hand: under
// Wine the shell's recursive delete can walk out of a path beyond MAX_PATH
// and empty the current folder instead. Takes "\\?\" paths.
void removeTree(const std::wstring& folder);

}  // namespace kora::suite

// The entry points of a stand-in's DLL, all forwarded to its one server; used
// once, at global scope, in the DLL's own source (the .def file exports them).
#define KORA_STAND_IN_ENTRY_POINTS(server)                                     \
    extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) { \
        if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance); \
        return TRUE;                                                           \
    }                                                                          \
    STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {         \
        return (server).getClassObject(clsid, iid, out);                       \
    }                                                                          \
    STDAPI DllCanUnloadNow() { return (server).canUnloadNow(); }               \
    STDAPI DllRegisterServer() { return (server).registerServer(); }           \
    STDAPI DllUnregisterServer() { return (server).unregisterServer(); }
