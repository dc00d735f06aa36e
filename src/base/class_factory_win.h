// The one class factory of the in-process servers: creates objects through a
// function, counts itself among the server's live objects and keeps the
// server's lock count for LockServer.
#pragma once

#include <atomic>
#include <new>

#include "base/com_object_win.h"

namespace kora::win {

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
public:
    using Create = HRESULT (*)(REFIID, void**) noexcept;

    ClassFactory(Create create, std::atomic<long>& liveObjects, std::atomic<long>& locks) noexcept
        : create_(create), live_(liveObjects), locks_(locks) {
        ++live_;
    }

    // DllGetClassObject's work for one class.
    static HRESULT get(Create create, std::atomic<long>& liveObjects, std::atomic<long>& locks, REFIID iid,
                       void** out) noexcept {
        if (!out) return E_POINTER;
        *out = nullptr;
        auto* factory = new (std::nothrow) ClassFactory(create, liveObjects, locks);
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();
        return hr;
    }

    static const QITAB* interfaces() noexcept {
        static const QITAB rows[] = {row<IClassFactory>(IID_IClassFactory), {}};
        return rows;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++locks_ : --locks_;
        return S_OK;
    }

private:
    ~ClassFactory() override { --live_; }

    Create create_;
    std::atomic<long>& live_;
    std::atomic<long>& locks_;
};

}  // namespace kora::win
