// The late-bound call helper and the error mapping: arguments reach the
// callee reversed as IDispatch wants them, failures become the run-time
// numbers the host's language would report.
#include <functional>

#include "base/text_win.h"
#include "com_support.h"
#include "plugin/components_win.h"
#include "plugin/dispatch_object_win.h"
#include "plugin/dispatch_win.h"

namespace kora::test {
namespace {

using win::Bstr;
using win::ComPtr;

// A bare IDispatch that records what Invoke received, untouched.
class Recorder final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        requested = names[0];
        *ids = 42;
        return requested == L"Missing" ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD f, DISPPARAMS* p, VARIANT* result, EXCEPINFO* info,
                                     UINT*) override {
        invokedId = id;
        flags = f;
        received.clear();
        for (UINT i = 0; i < p->cArgs; ++i) received.push_back(win::toText(p->rgvarg[i]));
        byRef.clear();
        for (UINT i = 0; i < p->cArgs; ++i) byRef.push_back((V_VT(&p->rgvarg[i]) & VT_BYREF) != 0);
        if (raise) {
            info->scode = raiseCode;
            info->wCode = raiseWCode;
            info->bstrDescription = SysAllocString(L"Told to fail");
            return DISP_E_EXCEPTION;
        }
        V_VT(result) = VT_I4;
        V_I4(result) = 7;
        return S_OK;
    }

    ULONG refs = 1;
    std::wstring requested;
    DISPID invokedId = 0;
    WORD flags = 0;
    std::vector<std::string> received;  // in DISPPARAMS order
    std::vector<bool> byRef;
    bool raise = false;
    SCODE raiseCode = 0;
    WORD raiseWCode = 0;
};

TEST(Dispatch, ArgumentsGoInNaturalOrderAndArriveReversed) {
    Recorder target;
    Bstr first(L"first"), second(L"second");
    const win::Variant result =
        win::call(&target, L"Member", {win::byValue(first), win::byRef(second), win::byValue(3)});
    EXPECT_EQ(target.requested, L"Member");
    EXPECT_EQ(target.invokedId, 42);
    EXPECT_EQ(target.flags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    EXPECT_EQ(target.received, (std::vector<std::string>{"3", "second", "first"}));
    EXPECT_EQ(target.byRef, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(V_I4(&result.get()), 7);
}

// The failure `action` raises; number 0 when it raises none.
Failure failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RunError& e) {
        return e.failure();
    }
    return Failure{0, "", 0};
}

TEST(Dispatch, FailuresBecomeRunTimeNumbers) {
    Recorder target;
    const Failure unknown = failureOf([&] { win::call(&target, L"Missing"); });
    EXPECT_EQ(unknown.number, 438);
    EXPECT_EQ(unknown.description, "Object doesn't support this property or method");
    EXPECT_GT(unknown.line, 0);
    EXPECT_EQ(failureOf([] { win::call(nullptr, L"Member"); }).number, 91);
    // An exception carries the component's number and description, from scode or else wCode.
    target.raise = true;
    target.raiseCode = static_cast<SCODE>(0x800A0005);
    const Failure raised = failureOf([&] { win::call(&target, L"Member"); });
    EXPECT_EQ(raised.number, 5);
    EXPECT_EQ(raised.description, "Told to fail");
    target.raiseCode = 0;
    target.raiseWCode = 1001;
    EXPECT_EQ(failureOf([&] { win::call(&target, L"Member"); }).number, 1001);
}

// The numbers themselves are the COM helpers' table (raii_test); here the
// failure a COM error becomes.
TEST(ErrorMapping, AComFailureCarriesItsNumberDescriptionAndLine) {
    const Failure known = win::failureFromCom(static_cast<HRESULT>(0x800A0168), nullptr, 12);
    EXPECT_EQ(known.number, 360);
    EXPECT_EQ(known.description, "Object already loaded");
    EXPECT_EQ(known.line, 12);
    const Failure other = win::failureFromCom(E_OUTOFMEMORY, nullptr);
    EXPECT_EQ(other.number, -2147024882);
    EXPECT_FALSE(other.description.empty());
}

// An empty keyed collection as the host passes it: Count, and Item(key)
// raising error 5, as for any key it does not hold. (The plug-in's reading of
// the host's collections is checked end to end by the privileges script tests.)
class Collection final : public win::DispatchObject {
protected:
    std::span<const Member> members() const noexcept override {
        static constexpr Member kMembers[] = {{L"Count", 1}, {L"Item", 0}};
        return kMembers;
    }
    void invoke(DISPID id, WORD, const win::DispatchArgs& args, VARIANT& result) override {
        if (id == 1) return win::setResult(result, int32_t{0});
        (void)args.text(0);  // raises 450 when the key is missing
        throw win::DispatchError{5, L"Invalid procedure call or argument"};
    }
};

TEST(ErrorObject, GivesNumberAndDescriptionByName) {
    ComPtr<IDispatch> error = win::errorObject(Failure{429, "ActiveX component can't create object \u00E4", 3});
    EXPECT_EQ(win::toNumber(win::invoke(error.get(), L"Number", DISPATCH_PROPERTYGET, {}).get()), 429);
    EXPECT_EQ(win::toText(win::invoke(error.get(), L"description", DISPATCH_PROPERTYGET, {}).get()),
              "ActiveX component can't create object \u00E4");
}

TEST(DispatchObject, ReportsThrownFailuresAsExceptionsWithControlFacilityCodes) {
    auto* raw = new Collection;
    ComPtr<IDispatch> collection = ComPtr<IDispatch>::attach(raw);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"item");
    ASSERT_EQ(collection->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    Bstr key(L"absent");
    VARIANT arg = win::byValue(key);
    DISPPARAMS params{&arg, nullptr, 1, 0};
    win::Variant result;
    win::ExcepInfo info;
    EXPECT_EQ(collection->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result.put(), &info, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<uint32_t>(info.scode), 0x800A0005u);
    EXPECT_STREQ(info.bstrDescription, L"Invalid procedure call or argument");
    // Too few arguments is error 450, not a crash.
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    win::ExcepInfo info2;
    EXPECT_EQ(collection->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, result.put(), &info2, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<uint32_t>(info2.scode), 0x800A01C2u);
    EXPECT_EQ(collection->Invoke(99, IID_NULL, 0, DISPATCH_METHOD, &none, result.put(), nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

}  // namespace
}  // namespace kora::test
