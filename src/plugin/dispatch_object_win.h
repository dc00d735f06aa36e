// A small IDispatch implementation for objects without a type library: the
// members are a table of names (matched without regard to case, as automation
// does), Invoke hands natural-order arguments to one virtual function, and
// every C++ exception is turned into DISP_E_EXCEPTION with an EXCEPINFO whose
// scode is 0x800Annnn for run-time error nnnn. Used for the error object the
// plug-in hands to LogError, by the stand-in components and by test fakes.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/com_object_win.h"

namespace kora::win {

// A failure to report from a member: its run-time number (reported as
// hresultFromErrorNumber gives it) and its text.
struct DispatchError {
    int32_t number;
    std::wstring description;
};

// The arguments of one Invoke, in natural order (DISPPARAMS holds them
// reversed). Values passed by reference are read through the reference.
class DispatchArgs {
public:
    explicit DispatchArgs(const DISPPARAMS& params) noexcept : params_(params) {}
    size_t size() const noexcept { return params_.cArgs; }
    // The value of argument i, by-reference variants followed; raises
    // DispatchError 450 (wrong number of arguments) when there is none.
    const VARIANT& value(size_t i) const;
    // Conversions raise DispatchError 13 (type mismatch).
    std::wstring text(size_t i) const;
    int32_t integer(size_t i) const;
    ComPtr<IDispatch> object(size_t i) const;

private:
    const DISPPARAMS& params_;
};

class DispatchObject : public ComObject<DispatchObject, IDispatch> {
public:
    struct Member {
        const wchar_t* name;
        DISPID id;
    };

    // `liveObjects` (optional) counts the objects of a server for DllCanUnloadNow.
    explicit DispatchObject(std::atomic<long>* liveObjects = nullptr) noexcept : liveObjects_(liveObjects) {
        if (liveObjects_) ++*liveObjects_;
    }

    static const QITAB* interfaces() noexcept;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override;

protected:
    ~DispatchObject() override {
        if (liveObjects_) --*liveObjects_;
    }
    virtual std::span<const Member> members() const noexcept = 0;
    // Carries out member `id`; writes the result (if any) to `result`, which
    // is VT_EMPTY on entry. May throw DispatchError, kora::RunError or anything else.
    virtual void invoke(DISPID id, WORD flags, const DispatchArgs& args, VARIANT& result) = 0;
    // The source named in EXCEPINFO ("zelrcUTK.clsUTK", ...).
    virtual std::wstring_view source() const noexcept { return {}; }

private:
    std::atomic<long>* liveObjects_;
};

// Sets `result` to a copy of the text / number / boolean.
void setResult(VARIANT& result, std::wstring_view text);
void setResult(VARIANT& result, int32_t number);
void setBoolResult(VARIANT& result, bool value);

}  // namespace kora::win
