// Owners of the Windows and COM resources the plug-in touches, each an Owner
// (base/owner.h) with the type that makes its one release call.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <new>
#include <string_view>
#include <utility>

#include "base/owner.h"

namespace kora::win {

struct ReleaseInterface {
    void operator()(IUnknown* p) const noexcept { p->Release(); }
};
struct FreeString {
    void operator()(BSTR b) const noexcept { SysFreeString(b); }
};
struct DestroyArray {
    void operator()(SAFEARRAY* sa) const noexcept { SafeArrayDestroy(sa); }
};
struct CloseKernelHandle {  // CreateFile and friends: INVALID_HANDLE_VALUE
    static HANDLE none() noexcept { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE h) const noexcept { CloseHandle(h); }
};
struct CloseKey {
    void operator()(HKEY h) const noexcept { RegCloseKey(h); }
};
struct Unhook {
    void operator()(HHOOK h) const noexcept { UnhookWindowsHookEx(h); }
};
struct DestroyWin {
    void operator()(HWND h) const noexcept { DestroyWindow(h); }
};
struct FreeLib {
    void operator()(HMODULE h) const noexcept { FreeLibrary(h); }
};

using FileHandle = Owner<HANDLE, CloseKernelHandle>;
using RegKey = Owner<HKEY, CloseKey>;
using Hook = Owner<HHOOK, Unhook>;
using Window = Owner<HWND, DestroyWin>;
using Library = Owner<HMODULE, FreeLib>;
using SafeArray = Owner<SAFEARRAY*, DestroyArray>;

// A counted COM interface pointer.
template <class T>
class ComPtr : public Owner<T*, ReleaseInterface> {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    using Owner<T*, ReleaseInterface>::Owner;
    // Takes over a reference the caller already owns.
    static ComPtr attach(T* p) noexcept { return ComPtr(p); }
    // Adds a reference of its own.
    static ComPtr share(T* p) noexcept {
        if (p) p->AddRef();
        return attach(p);
    }
    T* operator->() const noexcept { return this->get(); }
    void** putVoid() noexcept { return reinterpret_cast<void**>(this->put()); }
    // A second, independently counted reference.
    ComPtr copy() const noexcept { return share(this->get()); }
    template <class U>
    ComPtr<U> as(REFIID iid) const noexcept {
        ComPtr<U> out;
        if (this->get()) this->get()->QueryInterface(iid, out.putVoid());
        return out;
    }
};

// A COM string. Null and empty are both "" to the reader, as in automation.
class Bstr : public Owner<BSTR, FreeString> {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text) : Owner(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!get() && !text.empty()) throw std::bad_alloc();
    }
    static Bstr attach(BSTR b) noexcept {
        Bstr s;
        s.reset(b);
        return s;
    }
    // The slot itself, contents kept: for by-reference arguments a callee may replace.
    BSTR* slot() noexcept { return &h_; }
    size_t size() const noexcept { return h_ ? SysStringLen(h_) : 0; }
    std::wstring_view view() const noexcept { return {h_ ? h_ : L"", size()}; }
};

// A VARIANT that is cleared when it goes.
class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    const VARIANT& get() const noexcept { return v_; }
    VARIANT& get() noexcept { return v_; }
    VARIANT* put() noexcept {
        VariantClear(&v_);
        return &v_;
    }
    VARTYPE type() const noexcept { return V_VT(&v_); }
    // Hands the contents to the caller, who clears them.
    [[nodiscard]] VARIANT release() noexcept {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }

private:
    VARIANT v_;
};

// A record made by an IRecordInfo (RecordCreate), destroyed by it when it goes.
class Record {
public:
    Record() noexcept = default;
    // A new record, zero-filled; empty when `info` is null or out of memory.
    static Record create(ComPtr<IRecordInfo> info) noexcept {
        Record out;
        if (info) out.data_ = info->RecordCreate();
        if (out.data_) out.info_ = std::move(info);
        return out;
    }
    // Takes over a record the caller owns, with its own reference on `info`.
    static Record attach(IRecordInfo* info, void* data) noexcept {
        Record out;
        out.info_ = ComPtr<IRecordInfo>::attach(info);
        out.data_ = data;
        return out;
    }
    Record(Record&& other) noexcept : info_(std::move(other.info_)), data_(std::exchange(other.data_, nullptr)) {}
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    ~Record() { reset(); }

    void* get() const noexcept { return data_; }
    IRecordInfo* info() const noexcept { return info_.get(); }
    explicit operator bool() const noexcept { return data_ != nullptr; }
    // Moves the record into `v` as VT_RECORD (with a reference on its record
    // info); `v` must hold nothing that needs clearing.
    void moveTo(VARIANT& v) noexcept {
        V_VT(&v) = VT_RECORD;
        V_RECORD(&v) = std::exchange(data_, nullptr);
        V_RECORDINFO(&v) = info_.release();
    }
    void reset() noexcept {
        if (void* old = std::exchange(data_, nullptr)) info_->RecordDestroy(old);
        info_.reset();
    }

private:
    ComPtr<IRecordInfo> info_;
    void* data_ = nullptr;
};

// CoInitializeEx for the life of a scope; CoUninitialize only if it worked.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) noexcept : hr_(CoInitializeEx(nullptr, model)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    HRESULT result() const noexcept { return hr_; }

private:
    HRESULT hr_;
};

// EXCEPINFO whose strings are freed when it goes.
struct ExcepInfo : EXCEPINFO {
    ExcepInfo() noexcept : EXCEPINFO{} {}
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;
    ~ExcepInfo() {
        SysFreeString(bstrSource);
        SysFreeString(bstrDescription);
        SysFreeString(bstrHelpFile);
    }
};

}  // namespace kora::win
