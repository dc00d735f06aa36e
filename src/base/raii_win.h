// Move-only owners of the Windows and COM resources the plug-in touches. Each
// type knows its one release call; nothing here uses a WINAPI function pointer
// as a generic deleter (the calling convention differs on 32-bit).
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <new>
#include <string_view>
#include <utility>

namespace kora::win {

// A counted COM interface pointer.
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes over a reference the caller already owns.
    static ComPtr attach(T* p) noexcept {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    // Adds a reference of its own.
    static ComPtr share(T* p) noexcept {
        if (p) p->AddRef();
        return attach(p);
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For out-parameters: releases what is held, then hands out the slot.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset(T* p = nullptr) noexcept {
        if (T* old = std::exchange(p_, p)) old->Release();
    }
    // A second, independently counted reference.
    ComPtr copy() const noexcept { return share(p_); }
    template <class U>
    ComPtr<U> as(REFIID iid) const noexcept {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(iid, out.putVoid());
        return out;
    }

private:
    T* p_ = nullptr;
};

// A COM string. Null and empty are both "" to the reader, as in automation.
class Bstr {
public:
    Bstr() noexcept = default;
    explicit Bstr(std::wstring_view text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!b_ && !text.empty()) throw std::bad_alloc();
    }
    static Bstr attach(BSTR b) noexcept {
        Bstr s;
        s.b_ = b;
        return s;
    }
    Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.b_, nullptr));
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { reset(); }

    BSTR get() const noexcept { return b_; }
    BSTR* put() noexcept {
        reset();
        return &b_;
    }
    // The slot itself, contents kept: for by-reference arguments a callee may replace.
    BSTR* slot() noexcept { return &b_; }
    [[nodiscard]] BSTR detach() noexcept { return std::exchange(b_, nullptr); }
    void reset(BSTR b = nullptr) noexcept {
        if (BSTR old = std::exchange(b_, b)) SysFreeString(old);
    }
    size_t size() const noexcept { return b_ ? SysStringLen(b_) : 0; }
    std::wstring_view view() const noexcept { return {b_ ? b_ : L"", size()}; }

private:
    BSTR b_ = nullptr;
};

// A VARIANT that is cleared when it goes.
class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    // Takes over the contents of `v` (which is left VT_EMPTY).
    static Variant attach(VARIANT& v) noexcept {
        Variant out;
        out.v_ = v;
        VariantInit(&v);
        return out;
    }
    const VARIANT& get() const noexcept { return v_; }
    VARIANT& get() noexcept { return v_; }
    VARIANT* put() noexcept {
        VariantClear(&v_);
        return &v_;
    }
    VARTYPE type() const noexcept { return V_VT(&v_); }
    // Hands the contents to the caller, who clears them.
    [[nodiscard]] VARIANT detach() noexcept {
        VARIANT out = v_;
        VariantInit(&v_);
        return out;
    }

private:
    VARIANT v_;
};

// A SAFEARRAY that is destroyed when it goes.
class SafeArray {
public:
    SafeArray() noexcept = default;
    static SafeArray attach(SAFEARRAY* sa) noexcept {
        SafeArray out;
        out.sa_ = sa;
        return out;
    }
    SafeArray(SafeArray&& other) noexcept : sa_(std::exchange(other.sa_, nullptr)) {}
    SafeArray& operator=(SafeArray&& other) noexcept {
        if (this != &other) reset(std::exchange(other.sa_, nullptr));
        return *this;
    }
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    ~SafeArray() { reset(); }

    SAFEARRAY* get() const noexcept { return sa_; }
    [[nodiscard]] SAFEARRAY* detach() noexcept { return std::exchange(sa_, nullptr); }
    void reset(SAFEARRAY* sa = nullptr) noexcept {
        if (SAFEARRAY* old = std::exchange(sa_, sa)) SafeArrayDestroy(old);
    }

private:
    SAFEARRAY* sa_ = nullptr;
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
    Record& operator=(Record&& other) noexcept {
        if (this != &other) {
            reset();
            info_ = std::move(other.info_);
            data_ = std::exchange(other.data_, nullptr);
        }
        return *this;
    }
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
        V_RECORDINFO(&v) = info_.detach();
    }
    void reset() noexcept {
        if (void* old = std::exchange(data_, nullptr)) info_->RecordDestroy(old);
        info_.reset();
    }

private:
    ComPtr<IRecordInfo> info_;
    void* data_ = nullptr;
};

// A plain handle with its own close function, given by a traits type:
//   using type = ...; static type invalid(); static void close(type);
// and optionally static void adopted(type), told of each handle taken over.
template <class Traits>
class UniqueHandle {
public:
    using type = typename Traits::type;
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(type h) noexcept { reset(h); }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Traits::invalid());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
    type* put() noexcept requires(!requires(type h) { Traits::adopted(h); }) {
        reset();
        return &h_;
    }
    [[nodiscard]] type release() noexcept { return std::exchange(h_, Traits::invalid()); }
    void reset(type h = Traits::invalid()) noexcept {
        if constexpr (requires { Traits::adopted(h); })
            if (h != Traits::invalid()) Traits::adopted(h);
        type old = std::exchange(h_, h);
        if (old != Traits::invalid()) Traits::close(old);
    }

private:
    type h_ = Traits::invalid();
};

struct KernelHandleTraits {  // CreateFile and friends: INVALID_HANDLE_VALUE
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type h) noexcept { CloseHandle(h); }
};
// Most handles are "none" when null: their traits add only close().
template <class H>
struct NullInvalidTraits {
    using type = H;
    static type invalid() noexcept { return nullptr; }
};
struct RegKeyTraits : NullInvalidTraits<HKEY> {
    static void close(HKEY h) noexcept { RegCloseKey(h); }
};
struct HookTraits : NullInvalidTraits<HHOOK> {
    static void close(HHOOK h) noexcept { UnhookWindowsHookEx(h); }
};
struct WindowTraits : NullInvalidTraits<HWND> {
    static void close(HWND h) noexcept { DestroyWindow(h); }
};
struct LibraryTraits : NullInvalidTraits<HMODULE> {
    static void close(HMODULE h) noexcept { FreeLibrary(h); }
};

using FileHandle = UniqueHandle<KernelHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using Hook = UniqueHandle<HookTraits>;
using Window = UniqueHandle<WindowTraits>;
using Library = UniqueHandle<LibraryTraits>;

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
