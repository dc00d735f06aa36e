// Reference counting and QueryInterface for the COM classes of the plug-in
// and its stand-ins. A class lists the interfaces it answers in one table
// (IID_IUnknown included, always as the same interface: the object's identity).
#pragma once

#include <atomic>
#include <span>

#include "base/raii_win.h"

namespace kora::win {

// One row of a QueryInterface table: an interface id and the object seen as
// that interface.
template <class Object>
struct InterfaceRow {
    const IID* iid;
    void* (*as)(Object* object) noexcept;
};

// `Object` derives from ComObject<Object, Interfaces...> and provides
//   static std::span<const InterfaceRow<Object>> interfaces() noexcept;
// An object starts with one reference, which its creator releases after the
// first QueryInterface; the last Release deletes it.
template <class Object, class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() noexcept = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        for (const InterfaceRow<Object>& row : Object::interfaces()) {
            if (IsEqualIID(iid, *row.iid)) {
                *out = row.as(static_cast<Object*>(this));
                AddRef();
                return S_OK;
            }
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~ComObject() = default;

    // A row of the table: `iid` answered with the object as `Interface`.
    template <class Interface>
    static constexpr InterfaceRow<Object> row(const IID& iid) noexcept {
        return {&iid, [](Object* object) noexcept -> void* { return static_cast<Interface*>(object); }};
    }

private:
    std::atomic<long> refs_{1};
};

}  // namespace kora::win
