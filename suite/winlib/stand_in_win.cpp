#include "stand_in_win.h"

#include "base/class_factory_win.h"
#include "base/module_path_win.h"

namespace kora::suite {
namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
StandInServer::Create g_create = nullptr;

HRESULT createObject(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    win::DispatchObject* object = nullptr;
    try {
        object = g_create(g_objects);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

}  // namespace

HRESULT StandInServer::getClassObject(REFCLSID clsid, REFIID iid, void** out) noexcept {
    if (out) *out = nullptr;
    if (!IsEqualCLSID(clsid, clsid_)) return CLASS_E_CLASSNOTAVAILABLE;
    g_create = create_;
    return win::ClassFactory::get(&createObject, g_objects, g_locks, iid, out);
}

HRESULT StandInServer::canUnloadNow() const noexcept { return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

HRESULT StandInServer::registerServer() noexcept { return win::registerClass(clsid_, progId_, win::codeModule()); }

HRESULT StandInServer::unregisterServer() noexcept { return win::unregisterClass(clsid_, progId_); }

std::wstring hostBasePath() {
    const std::wstring exe = win::moduleFileName(nullptr);
    const size_t slash = exe.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash);
}

Timestamp localNow() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool replaceFile(const std::wstring& path, std::string_view bytes) {
    const std::wstring temporary = path + L".tmp";
    {
        win::FileHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!bytes.empty() &&
            (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
             written != bytes.size())) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileW(temporary.c_str());
    return false;
}

std::optional<std::string> readWholeFile(const std::wstring& path) {
    win::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024) return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

bool appendToFile(const std::wstring& path, std::string_view bytes) {
    win::FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool ensureFolder(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace kora::suite
