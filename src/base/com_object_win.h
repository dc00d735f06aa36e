// Reference counting and QueryInterface for the COM classes of the plug-in
// and its stand-ins. A class lists the interfaces it answers in one QISearch
// table; IID_IUnknown is answered with its first row, the object's identity.
#pragma once

#include <shlwapi.h>

#include <atomic>

#include "base/raii_win.h"

namespace kora::win {

// `Object` derives from ComObject<Object, Interfaces...> and provides
//   static const QITAB* interfaces() noexcept;  // ending with {}
// An object starts with one reference, which its creator releases after the
// first QueryInterface; the last Release deletes it.
template <class Object, class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() noexcept = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return QISearch(static_cast<Object*>(this), Object::interfaces(), iid, out);
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
    static QITAB row(const IID& iid) noexcept {
        return {&iid, static_cast<int>(OFFSETOFCLASS(Interface, Object))};
    }

private:
    std::atomic<long> refs_{1};
};

}  // namespace kora::win
