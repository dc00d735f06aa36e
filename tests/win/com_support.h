// Shared pieces of the Windows tests that talk to the registered components:
// an apartment per test, the demo installation's paths, and registration
// changes that are undone at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/module_path_win.h"
#include "base/raii_win.h"

namespace kora::test {

inline std::wstring demoPath(const wchar_t* relative) {
    std::string dir = KORA_DEMO_DIR;  // a Unix path; Wine maps "/" to Z:
    std::wstring out = L"Z:";
    for (char c : dir) out += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return out + L"\\" + relative;
}

// The demo installation's folder: its BasePath, with the button faces.
inline std::wstring demoFolder() {
    std::wstring folder = demoPath(L"");
    folder.pop_back();
    return folder;
}

inline std::wstring exeFolder() {
    const std::wstring exe = win::moduleFileName(nullptr);
    return exe.substr(0, exe.rfind(L'\\'));
}

// Unloads every in-process server that says it can go (DllCanUnloadNow).
inline void unloadUnusedServers() {
    CoFreeUnusedLibrariesEx(0, 0);
    CoFreeUnusedLibrariesEx(0, 0);  // a second pass for servers freed by the first
}

inline bool pluginLoaded() { return GetModuleHandleW(L"zelrcKORA.dll") != nullptr; }

// Each test in its own single-threaded apartment, with the plug-in unloaded
// before and after so that every test sees a fresh start-up.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(apartment_.result()));
        unloadUnusedServers();
    }
    void TearDown() override { unloadUnusedServers(); }

private:
    win::ComApartment apartment_;
};

// A type info's TYPEATTR / VARDESC, released when it goes.
class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) : info_(info) { result_ = info->GetTypeAttr(&attr_); }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
    ~TypeAttr() {
        if (attr_) info_->ReleaseTypeAttr(attr_);
    }
    HRESULT result() const { return result_; }
    const TYPEATTR* operator->() const { return attr_; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
    HRESULT result_;
};

class VarDesc {
public:
    VarDesc(ITypeInfo* info, UINT index) : info_(info) { result_ = info->GetVarDesc(index, &desc_); }
    VarDesc(const VarDesc&) = delete;
    VarDesc& operator=(const VarDesc&) = delete;
    ~VarDesc() {
        if (desc_) info_->ReleaseVarDesc(desc_);
    }
    HRESULT result() const { return result_; }
    const VARDESC* operator->() const { return desc_; }

private:
    ITypeInfo* info_;
    VARDESC* desc_ = nullptr;
    HRESULT result_;
};

// Calls an exported registration function of a server DLL.
inline HRESULT callRegistration(const std::wstring& dll, const char* function) {
    win::Library library(LoadLibraryW(dll.c_str()));
    if (!library) return HRESULT_FROM_WIN32(GetLastError());
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.get(), function)));
    return fn ? fn() : E_NOINTERFACE;
}

// Unregisters a server for the life of a scope and registers it again at its end.
class ScopedUnregistration {
public:
    explicit ScopedUnregistration(std::wstring dll) : dll_(std::move(dll)) {
        result_ = callRegistration(dll_, "DllUnregisterServer");
    }
    ~ScopedUnregistration() { EXPECT_EQ(callRegistration(dll_, "DllRegisterServer"), S_OK); }
    HRESULT result() const { return result_; }

private:
    std::wstring dll_;
    HRESULT result_;
};

}  // namespace kora::test
