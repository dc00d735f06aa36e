#include "plugin/plugin_win.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>
#include <utility>

#include "base/com_object_win.h"
#include "base/com_win.h"
#include "base/text_win.h"
#include "base/version.h"
#include "errors/failure.h"
#include "exchange/reply.h"
#include "form/privileges.h"
#include "plugin/components_win.h"
#include "plugin/dispatch_win.h"
#include "plugin/interface.h"
#include "plugin/module_win.h"

// The host reads PLUGIN by its 32-bit layout: 116 bytes, each field directly
// after the one before.
#if defined(__i386__) || defined(_M_IX86)
static_assert(sizeof(PLUGIN) == 116);
static_assert(offsetof(PLUGIN, Name) == 0);
static_assert(offsetof(PLUGIN, File) == 4);
static_assert(offsetof(PLUGIN, Version) == 8);
static_assert(offsetof(PLUGIN, Author) == 12);
static_assert(offsetof(PLUGIN, Description) == 16);
static_assert(offsetof(PLUGIN, Game) == 20);
static_assert(offsetof(PLUGIN, HasInterface) == 36);
static_assert(offsetof(PLUGIN, ProfileMenu) == 38);
static_assert(offsetof(PLUGIN, ServerMenu) == 40);
static_assert(offsetof(PLUGIN, MainMenu) == 42);
static_assert(offsetof(PLUGIN, ProfileMenuItems) == 44);
static_assert(offsetof(PLUGIN, ServerMenuItems) == 60);
static_assert(offsetof(PLUGIN, MainMenuItems) == 76);
static_assert(offsetof(PLUGIN, HelpFile) == 92);
static_assert(offsetof(PLUGIN, MinRCVer) == 96);
static_assert(offsetof(PLUGIN, MinCDXVer) == 100);
static_assert(offsetof(PLUGIN, MinUTKVer) == 104);
static_assert(offsetof(PLUGIN, MinZELVer) == 108);
static_assert(offsetof(PLUGIN, MinRCCVer) == 112);
#endif

namespace kora::win {
namespace {

constexpr wchar_t kVersion[] = L"" KORA_VERSION_TEXT;

// The error a method returns to the host: run-time error n as 0x800Annnn with
// its description as the thread's error info, anything else as E_FAIL-like.
HRESULT failed(const Failure& f) noexcept {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        try {
            create->SetGUID(IID__clsPlugin);
            create->SetSource(const_cast<LPOLESTR>(L"zelrcKORA.clsPlugin"));
            std::wstring text = widen(f.description);
            create->SetDescription(text.data());
            SetErrorInfo(0, create.as<IErrorInfo>(IID_IErrorInfo).get());
        } catch (...) {}
    }
    const HRESULT hr = hresultFromErrorNumber(f.number);
    return FAILED(hr) ? hr : E_FAIL;
}

// Runs a method body; nothing thrown inside leaves it.
template <class F>
HRESULT guarded(F&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (const RunError& e) {
        return failed(e.failure());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        return failed(Failure{static_cast<int32_t>(E_FAIL), e.what(), 0});
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// A string array with bounds 0 to n-1, as a Variant.
HRESULT stringArray(VARIANT& out, std::initializer_list<const wchar_t*> items) noexcept {
    SafeArray sa = SafeArray::attach(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size())));
    if (!sa.get()) return E_OUTOFMEMORY;
    LONG i = 0;
    for (const wchar_t* item : items) {
        Bstr text = Bstr::attach(SysAllocString(item));
        if (!text.get()) return E_OUTOFMEMORY;
        // SafeArrayPutElement copies the string.
        if (HRESULT hr = SafeArrayPutElement(sa.get(), &i, text.get()); FAILED(hr)) return hr;
        ++i;
    }
    V_VT(&out) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&out) = sa.release();
    return S_OK;
}

// The descriptor GetData returns; on failure it is left cleared.
HRESULT fillDescriptor(PLUGIN& r) noexcept {
    r = PLUGIN{};
    struct Text {
        BSTR* field;
        const wchar_t* value;
    };
    const Text texts[] = {
        {&r.Name, L"Korastand"},
        {&r.File, L"zelrcKORA.dll"},
        {&r.Version, kVersion},
        {&r.Author, L"Korastand developers"},
        {&r.Description, L"This Plugin allows you to manage various settings on your DW Server."},
        {&r.HelpFile, L"zelrcKORA_help.chm"},
        {&r.MinRCVer, L"1001"},
        {&r.MinCDXVer, L"1004"},
        {&r.MinUTKVer, L"1107"},
        {&r.MinZELVer, L"31001"},
        {&r.MinRCCVer, L"3505"},
    };
    HRESULT hr = S_OK;
    for (const Text& t : texts) {
        *t.field = SysAllocString(t.value);
        if (!*t.field) hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr))
        hr = stringArray(r.Game, {L"Duskwater V1.7.5.7", L"Duskwater, Velnet Affiliate Server V1.6.9.2A",
                                  L"Duskwater, Velnet Affiliate Server V1.7.5.7A"});
    if (SUCCEEDED(hr)) hr = stringArray(r.ServerMenuItems, {L"Server"});
    r.HasInterface = VARIANT_TRUE;
    r.ProfileMenu = VARIANT_FALSE;
    r.ServerMenu = VARIANT_TRUE;
    r.MainMenu = VARIANT_FALSE;
    if (FAILED(hr)) {
        for (const Text& t : texts) SysFreeString(std::exchange(*t.field, nullptr));
        for (VARIANT* v : {&r.Game, &r.ServerMenuItems}) VariantClear(v);
    }
    return hr;
}

// The element `index` of PDAT as text. PDAT is read as the host's language
// indexes an array: not an array raises 13, an index outside its bounds 9.
std::string pdatElement(const VARIANT* pdat, int index) {
    const VARIANT* v = pdat ? &followReference(*pdat) : nullptr;
    if (!v || !(V_VT(v) & VT_ARRAY)) raise(err::TypeMismatch);
    SAFEARRAY* sa = (V_VT(v) & VT_BYREF) ? (V_ARRAYREF(v) ? *V_ARRAYREF(v) : nullptr) : V_ARRAY(v);
    if (!sa || SafeArrayGetDim(sa) != 1) raise(err::SubscriptRange);
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(sa, 1, &lower);
    SafeArrayGetUBound(sa, 1, &upper);
    if (index < lower || index > upper) raise(err::SubscriptRange);
    VARTYPE type = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(sa, &type))) raise(err::TypeMismatch);
    // Elements of these types are read into a VARIANT's value, all of which start at one address.
    constexpr VARTYPE kValueTypes[] = {VT_BSTR, VT_I2, VT_I4, VT_R4, VT_R8, VT_BOOL, VT_UI1, VT_CY, VT_DATE};
    if (type != VT_VARIANT && std::ranges::find(kValueTypes, type) == std::end(kValueTypes)) raise(err::TypeMismatch);
    LONG at = index;
    Variant element;
    VARIANT* slot = element.put();
    if (FAILED(SafeArrayGetElement(sa, &at, type == VT_VARIANT ? static_cast<void*>(slot) : &slot->llVal)))
        raise(err::SubscriptRange);
    if (type != VT_VARIANT) V_VT(slot) = type;
    if (V_VT(&element.get()) == VT_NULL) raise(err::TypeMismatch);  // Null has no text
    return toText(element.get());
}

class ClsPlugin final : public ComObject<ClsPlugin, _clsPlugin, ISupportErrorInfo> {
public:
    ClsPlugin() noexcept { ++liveObjects(); }

    static const QITAB* interfaces() noexcept {
        static const QITAB rows[] = {row<_clsPlugin>(IID__clsPlugin),
                                     row<_clsPlugin>(IID_IDispatch),
                                     row<ISupportErrorInfo>(IID_ISupportErrorInfo),
                                     {}};
        return rows;
    }

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return IsEqualIID(iid, IID__clsPlugin) ? S_OK : S_FALSE;
    }

    // IDispatch, served from the type library embedded in the DLL.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (HRESULT hr = loadTypeInfo(); FAILED(hr)) return hr;
        *info = typeInfo_.copy().release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (HRESULT hr = loadTypeInfo(); FAILED(hr)) return hr;
        return typeInfo_->GetIDsOfNames(names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override {
        if (HRESULT hr = loadTypeInfo(); FAILED(hr)) return hr;
        if (id == getDataId_) return invokeGetData(flags, params, result, info);
        return typeInfo_->Invoke(static_cast<_clsPlugin*>(this), id, flags, params, result, info, argError);
    }

    // _clsPlugin
    HRESULT STDMETHODCALLTYPE dllVersion(BSTR, BSTR* result) override {
        if (!result) return E_POINTER;
        *result = SysAllocString(kVersion);
        return *result ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetData(PLUGIN* result) override {
        if (!result) return E_POINTER;
        return fillDescriptor(*result);
    }
    HRESULT STDMETHODCALLTYPE SetPrivis(IDispatch** nameCol, IDispatch**, VARIANT_BOOL isSuperAdmin) override {
        return guarded([&] {
            IDispatch* names = nameCol ? *nameCol : nullptr;
            setPrivis(threadModule(), names ? dispatchPrivileges(ComPtr<IDispatch>::share(names)) : nullptr,
                      isSuperAdmin != VARIANT_FALSE);
        });
    }
    HRESULT STDMETHODCALLTYPE LoadInterface(LONG index, LONG hwnd, VARIANT* pdat, VARIANT*) override {
        return guarded([&] {
            // A 32-bit window handle is sign-extended, as LongToHandle does.
            const auto window = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(LongToHandle(hwnd)));
            loadInterface(threadModule(), index, window, [pdat](int element) { return pdatElement(pdat, element); });
        });
    }
    HRESULT STDMETHODCALLTYPE RemoteData(BSTR* data) override {
        return guarded([&] { remoteData(threadModule(), fromBstr(data ? *data : nullptr)); });
    }
    HRESULT STDMETHODCALLTYPE HideInterface(VARIANT*) override {
        return guarded([&] { threadModule().form().hide(); });
    }

private:
    ~ClsPlugin() override { --liveObjects(); }

    HRESULT loadTypeInfo() noexcept {
        if (typeInfo_) return S_OK;
        try {
            ComPtr<ITypeLib> library;
            const std::wstring path = moduleFileName(codeModule());
            HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
            if (FAILED(hr)) return hr;
            ComPtr<ITypeInfo> dispatch, record;
            if (FAILED(hr = library->GetTypeInfoOfGuid(IID__clsPlugin, dispatch.put()))) return hr;
            if (FAILED(hr = library->GetTypeInfoOfGuid(kPluginRecordId, record.put()))) return hr;
            LPOLESTR name = const_cast<LPOLESTR>(L"GetData");
            DISPID id = DISPID_UNKNOWN;
            if (FAILED(hr = dispatch->GetIDsOfNames(&name, 1, &id))) return hr;
            if (FAILED(hr = GetRecordInfoFromTypeInfo(record.get(), recordInfo_.put()))) return hr;
            getDataId_ = id;
            typeInfo_ = std::move(dispatch);
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    // GetData late-bound: the record in a VT_RECORD Variant. The platform's
    // ITypeInfo::Invoke cannot return a record everywhere (Wine answers
    // E_NOTIMPL), so this one member is answered here; the record is made by
    // the IRecordInfo of PLUGIN, which the caller's VariantClear destroys it with.
    HRESULT invokeGetData(WORD flags, const DISPPARAMS* params, VARIANT* result, EXCEPINFO* info) noexcept {
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (!params) return E_INVALIDARG;
        if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (!result) return S_OK;  // nothing to hand back, and GetData changes nothing
        ULONG size = 0;
        // The record info lays the record out as the type library says; it
        // must be the layout compiled here.
        if (FAILED(recordInfo_->GetSize(&size)) || size != sizeof(PLUGIN)) return E_UNEXPECTED;
        Record record = Record::create(recordInfo_.copy());
        if (!record) return E_OUTOFMEMORY;
        if (const HRESULT hr = fillDescriptor(*static_cast<PLUGIN*>(record.get())); FAILED(hr)) {
            if (info) {
                *info = EXCEPINFO{};
                info->scode = hr;
            }
            return DISP_E_EXCEPTION;
        }
        record.moveTo(*result);
        return S_OK;
    }

    ComPtr<ITypeInfo> typeInfo_;
    ComPtr<IRecordInfo> recordInfo_;
    DISPID getDataId_ = DISPID_UNKNOWN;
};

}  // namespace

std::atomic<long>& liveObjects() noexcept {
    static std::atomic<long> count{0};
    return count;
}

HRESULT createPlugin(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
        threadModule();  // the start-up runs before the first object exists
    } catch (...) {
        // The start-up reports its own failures; the object is still created.
    }
    auto* plugin = new (std::nothrow) ClsPlugin;
    if (!plugin) return E_OUTOFMEMORY;
    const HRESULT hr = plugin->QueryInterface(iid, out);
    plugin->Release();
    return hr;
}

}  // namespace kora::win
