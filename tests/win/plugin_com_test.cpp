// clsPlugin as the host meets it: created by ProgID, read through the vtable
// and late-bound, its type library and version resource, its start-up box
// when the utility component is missing, and unloading once released. What
// the operations do with their arguments (PDAT, privileges, hiding) is the
// script tests' part.
#include <regex>

#include "base/text_win.h"
#include "box_answerer_win.h"
#include "dialog_answerer_win.h"
#include "com_support.h"
#include "form/automation_win.h"
#include "plugin/dispatch_win.h"
#include "plugin/plugin_win.h"
#include "relay_win.h"
#include "stand_in_win.h"
#include "style_support.h"
#include "zelrcKORA_h.h"

namespace kora::test {
namespace {

using win::Bstr;
using win::ComPtr;

ComPtr<_clsPlugin> createPlugin() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"zelrcKORA.clsPlugin", &clsid), S_OK);
    ComPtr<_clsPlugin> plugin;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__clsPlugin, plugin.putVoid()), S_OK);
    return plugin;
}

std::vector<std::wstring> stringArray(const VARIANT& v, LONG& lower, LONG& upper) {
    EXPECT_EQ(V_VT(&v), VT_ARRAY | VT_BSTR);
    std::vector<std::wstring> items;
    if (V_VT(&v) != (VT_ARRAY | VT_BSTR)) return items;
    EXPECT_EQ(SafeArrayGetDim(V_ARRAY(&v)), 1u);
    SafeArrayGetLBound(V_ARRAY(&v), 1, &lower);
    SafeArrayGetUBound(V_ARRAY(&v), 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        Bstr item;
        SafeArrayGetElement(V_ARRAY(&v), &i, item.put());
        items.emplace_back(item.view());
    }
    return items;
}

// Frees the strings and variants GetData put into a descriptor, leaving it empty.
void freeDescriptor(PLUGIN& d) {
    for (BSTR* b : {&d.Name, &d.File, &d.Version, &d.Author, &d.Description, &d.HelpFile, &d.MinRCVer, &d.MinCDXVer,
                    &d.MinUTKVer, &d.MinZELVer, &d.MinRCCVer}) {
        SysFreeString(*b);
        *b = nullptr;
    }
    for (VARIANT* v : {&d.Game, &d.ProfileMenuItems, &d.ServerMenuItems, &d.MainMenuItems}) VariantClear(v);
}

// The descriptor with its strings and variants freed at the end.
struct Descriptor : PLUGIN {
    Descriptor() : PLUGIN{} {}
    Descriptor(const Descriptor&) = delete;
    ~Descriptor() { freeDescriptor(*this); }
};

// A PLUGIN record made by an IRecordInfo and filled by GetData. Its contents
// are freed through the compiled layout, which GetData wrote, before the
// record info destroys it: Wine's RecordClear frees no VARIANT field.
struct FilledRecord {
    win::Record record;
    explicit FilledRecord(win::Record r) : record(std::move(r)) {}
    FilledRecord(const FilledRecord&) = delete;
    ~FilledRecord() {
        if (record) freeDescriptor(*static_cast<PLUGIN*>(record.get()));
    }
    IRecordInfo* info() const { return record.info(); }
    void* data() const { return record.get(); }
};

constexpr bool k32Bit = sizeof(void*) == 4;

ComPtr<ITypeInfo> recordTypeInfo(_clsPlugin* plugin) {
    ComPtr<ITypeInfo> info, record;
    ComPtr<ITypeLib> library;
    UINT index = 0;
    EXPECT_EQ(plugin->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()), S_OK);
    if (info) {
        EXPECT_EQ(info->GetContainingTypeLib(library.put(), &index), S_OK);
    }
    if (library) {
        // The record's GUID as the published type library has it.
        const GUID id{0xdea843c6, 0xade1, 0x479c, {0x92, 0x47, 0x48, 0x73, 0xa5, 0xc7, 0xa2, 0xbf}};
        EXPECT_EQ(library->GetTypeInfoOfGuid(id, record.put()), S_OK);
    }
    return record;
}

// A record field's value as text: strings quoted, Booleans True/False (other
// 16-bit values shown as numbers), Empty, and string arrays with their bounds.
std::wstring render(const VARIANT& v) {
    switch (V_VT(&v)) {
    case VT_BSTR: return L"\"" + std::wstring(V_BSTR(&v) ? V_BSTR(&v) : L"", SysStringLen(V_BSTR(&v))) + L"\"";
    case VT_BOOL:
        return V_BOOL(&v) == VARIANT_TRUE    ? L"True"
               : V_BOOL(&v) == VARIANT_FALSE ? L"False"
                                             : L"Boolean " + std::to_wstring(V_BOOL(&v));
    case VT_EMPTY: return L"Empty";
    case VT_ARRAY | VT_BSTR: {
        LONG lower = 0, upper = -1;
        std::vector<std::wstring> items = stringArray(v, lower, upper);
        std::wstring out = L"(" + std::to_wstring(lower) + L" to " + std::to_wstring(upper) + L")";
        for (size_t i = 0; i < items.size(); ++i) out += (i ? L"|" : L" ") + items[i];
        return out;
    }
    default: return L"VARTYPE " + std::to_wstring(V_VT(&v));
    }
}

// A field of the record read through its record info, as render() shows it.
std::wstring readField(IRecordInfo* info, void* data, const wchar_t* field) {
    // The field in place (a reference into the record, never cleared).
    VARIANT inPlace;
    VariantInit(&inPlace);
    void* array = nullptr;
    if (HRESULT hr = info->GetFieldNoCopy(data, field, &inPlace, &array); FAILED(hr))
        return L"GetFieldNoCopy failed " + std::to_wstring(hr);
    win::Variant copy;
    const HRESULT hr = info->GetField(data, field, copy.put());
    if (hr == E_NOTIMPL && V_VT(&inPlace) == (VT_BYREF | VT_VARIANT)) {
        // Wine's GetField copies no Variant field; read it where it lies.
        return render(*V_VARIANTREF(&inPlace));
    }
    if (FAILED(hr)) return L"GetField failed " + std::to_wstring(hr);
    // Wine's GetField hands out the record's own string, not a copy of it:
    // only a copy is the reader's to free.
    if (copy.type() == VT_BSTR && V_VT(&inPlace) == (VT_BYREF | VT_BSTR) &&
        V_BSTR(&copy.get()) == *V_BSTRREF(&inPlace)) {
        std::wstring text = render(copy.get());
        (void)copy.release();
        return text;
    }
    return render(copy.get());
}

// What a reader of the record finds in each field.
struct FieldValue {
    const wchar_t* field;
    const wchar_t* value;
};
const FieldValue kDescriptorFields[] = {
    {L"Name", L"\"Korastand\""},
    {L"File", L"\"zelrcKORA.dll\""},
    {L"Version", L"\"1.0.5\""},
    {L"Author", L"\"Korastand developers\""},
    {L"Description", L"\"This Plugin allows you to manage various settings on your DW Server.\""},
    {L"Game",
     L"(0 to 2) Duskwater V1.7.5.7|Duskwater, Velnet Affiliate Server V1.6.9.2A|"
     L"Duskwater, Velnet Affiliate Server V1.7.5.7A"},
    {L"HasInterface", L"True"},
    {L"ProfileMenu", L"False"},
    {L"ServerMenu", L"True"},
    {L"MainMenu", L"False"},
    {L"ProfileMenuItems", L"Empty"},
    {L"ServerMenuItems", L"(0 to 0) Server"},
    {L"MainMenuItems", L"Empty"},
    {L"HelpFile", L"\"zelrcKORA_help.chm\""},
    {L"MinRCVer", L"\"1001\""},
    {L"MinCDXVer", L"\"1004\""},
    {L"MinUTKVer", L"\"1107\""},
    {L"MinZELVer", L"\"31001\""},
    {L"MinRCCVer", L"\"3505\""},
};

void expectDescriptorFields(const FilledRecord& record) {
    GUID guid{};
    ASSERT_EQ(record.info()->GetGuid(&guid), S_OK);
    EXPECT_TRUE(IsEqualGUID(guid, win::kPluginRecordId));
    for (const FieldValue& f : kDescriptorFields)
        EXPECT_EQ(readField(record.info(), record.data(), f.field), f.value) << win::narrow(f.field);
}

class Plugin : public ComTest {};

TEST_F(Plugin, IsCreatedByItsProgIdWithTheDualInterface) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    EXPECT_TRUE(plugin.as<IDispatch>(IID_IDispatch));
    auto errors = plugin.as<ISupportErrorInfo>(IID_ISupportErrorInfo);
    ASSERT_TRUE(errors);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID__clsPlugin), S_OK);
    EXPECT_FALSE(plugin.as<IClassFactory>(IID_IClassFactory));
}

TEST_F(Plugin, EachGetDataBuildsAFreshRecordTheHostOwns) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    Descriptor first, second;
    ASSERT_EQ(plugin->GetData(&first), S_OK);
    ASSERT_EQ(plugin->GetData(&second), S_OK);
    EXPECT_NE(first.Name, second.Name);
    EXPECT_NE(V_ARRAY(&first.Game), V_ARRAY(&second.Game));
    EXPECT_EQ(plugin->GetData(nullptr), E_POINTER);
}

TEST_F(Plugin, DllVersionLateBoundByNameIgnoresTheName) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    auto dispatch = plugin.as<IDispatch>(IID_IDispatch);
    // The name is matched without regard to case, as automation does.
    for (const wchar_t* name : {L"dllVersion", L"DLLVERSION"}) {
        Bstr argument(L"anything at all \u00E4\u20AC");
        const win::Variant version = win::call(dispatch.get(), name, {win::byValue(argument)});
        ASSERT_EQ(version.type(), VT_BSTR);
        EXPECT_STREQ(V_BSTR(&version.get()), L"1.0.5");
    }
    // Through the vtable, with a null name too.
    Bstr version;
    ASSERT_EQ(plugin->dllVersion(nullptr, version.put()), S_OK);
    EXPECT_EQ(version.view(), L"1.0.5");
}

TEST_F(Plugin, TypeLibraryListsTheOperationsInInterfaceOrder) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(plugin->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()), S_OK);
    // A dual interface's type info lists IDispatch's seven methods first.
    std::vector<std::wstring> names;
    for (UINT i = 7; i < 13; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
        Bstr name;
        info->GetDocumentation(f->memid, name.put(), nullptr, nullptr, nullptr);
        names.emplace_back(name.view());
        info->ReleaseFuncDesc(f);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"dllVersion", L"GetData", L"SetPrivis", L"LoadInterface",
                                                L"RemoteData", L"HideInterface"}));
}

// PLUGIN as the host reads it: in the 32-bit build 116 bytes, each field
// directly after the one before; in the 64-bit build its natural layout.
struct FieldLayout {
    const wchar_t* field;
    VARTYPE type;
    ULONG offset32, offset64;
};
const FieldLayout kPluginLayout[] = {
    {L"Name", VT_BSTR, 0, 0},
    {L"File", VT_BSTR, 4, 8},
    {L"Version", VT_BSTR, 8, 16},
    {L"Author", VT_BSTR, 12, 24},
    {L"Description", VT_BSTR, 16, 32},
    {L"Game", VT_VARIANT, 20, 40},
    {L"HasInterface", VT_BOOL, 36, 64},
    {L"ProfileMenu", VT_BOOL, 38, 66},
    {L"ServerMenu", VT_BOOL, 40, 68},
    {L"MainMenu", VT_BOOL, 42, 70},
    {L"ProfileMenuItems", VT_VARIANT, 44, 72},
    {L"ServerMenuItems", VT_VARIANT, 60, 96},
    {L"MainMenuItems", VT_VARIANT, 76, 120},
    {L"HelpFile", VT_BSTR, 92, 144},
    {L"MinRCVer", VT_BSTR, 96, 152},
    {L"MinCDXVer", VT_BSTR, 100, 160},
    {L"MinUTKVer", VT_BSTR, 104, 168},
    {L"MinZELVer", VT_BSTR, 108, 176},
    {L"MinRCCVer", VT_BSTR, 112, 184},
};

TEST_F(Plugin, TypeLibraryLaysPluginOutAsTheHostReadsIt) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    ComPtr<ITypeInfo> record = recordTypeInfo(plugin.get());
    ASSERT_TRUE(record);
    TypeAttr attr(record.get());
    ASSERT_EQ(attr.result(), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_RECORD);
    EXPECT_EQ(attr->cbSizeInstance, k32Bit ? 116u : 192u);
    EXPECT_EQ(attr->cbAlignment, k32Bit ? 4 : 8);
    ASSERT_EQ(attr->cVars, std::size(kPluginLayout));
    for (UINT i = 0; i < attr->cVars; ++i) {
        const FieldLayout& expected = kPluginLayout[i];
        SCOPED_TRACE(win::narrow(expected.field));
        VarDesc var(record.get(), i);
        ASSERT_EQ(var.result(), S_OK);
        Bstr name;
        ASSERT_EQ(record->GetDocumentation(var->memid, name.put(), nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(name.view(), expected.field);
        EXPECT_EQ(var->varkind, VAR_PERINSTANCE);
        EXPECT_EQ(var->elemdescVar.tdesc.vt, expected.type);
        EXPECT_EQ(var->oInst, k32Bit ? expected.offset32 : expected.offset64);
    }
}

TEST_F(Plugin, ARecordFilledThroughTheVtableReadsBackThroughItsRecordInfo) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    ComPtr<ITypeInfo> type = recordTypeInfo(plugin.get());
    ASSERT_TRUE(type);
    ComPtr<IRecordInfo> info;
    ASSERT_EQ(GetRecordInfoFromTypeInfo(type.get(), info.put()), S_OK);
    ULONG size = 0;
    ASSERT_EQ(info->GetSize(&size), S_OK);
    EXPECT_EQ(size, k32Bit ? 116u : 192u);
    ASSERT_EQ(size, sizeof(PLUGIN)) << "GetData fills the compiled layout";
    FilledRecord record(win::Record::create(std::move(info)));
    ASSERT_TRUE(record.record);
    ASSERT_EQ(plugin->GetData(static_cast<PLUGIN*>(record.data())), S_OK);
    expectDescriptorFields(record);
}

// Takes the record out of a VT_RECORD result, leaving the result empty.
FilledRecord takeRecord(win::Variant& result) {
    VARIANT v = result.release();
    return FilledRecord(win::Record::attach(V_RECORDINFO(&v), V_RECORD(&v)));
}

TEST_F(Plugin, GetDataLateBoundByNameAnswersTheRecord) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    auto dispatch = plugin.as<IDispatch>(IID_IDispatch);
    {  // the host's way: by name, as a method whose result is used
        win::Variant result = win::call(dispatch.get(), L"GetData");
        ASSERT_EQ(result.type(), VT_RECORD);
        FilledRecord record = takeRecord(result);
        ULONG size = 0;
        ASSERT_EQ(record.info()->GetSize(&size), S_OK);
        EXPECT_EQ(size, k32Bit ? 116u : 192u);
        expectDescriptorFields(record);
    }
    LPOLESTR name = const_cast<LPOLESTR>(L"getdata");
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    for (WORD flags : {WORD{DISPATCH_METHOD}, WORD{DISPATCH_PROPERTYGET}}) {
        SCOPED_TRACE(flags);
        DISPPARAMS none{};
        win::Variant result;
        win::ExcepInfo error;
        ASSERT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &none, result.put(), &error, nullptr),
                  S_OK);
        ASSERT_EQ(result.type(), VT_RECORD);
        FilledRecord record = takeRecord(result);
        expectDescriptorFields(record);
    }
}

TEST_F(Plugin, GetDataLateBoundRefusesWhatItCannotAnswer) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    auto dispatch = plugin.as<IDispatch>(IID_IDispatch);
    LPOLESTR name = const_cast<LPOLESTR>(L"GetData");
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    struct Case {
        const char* what;
        WORD flags;
        UINT args, named;
        bool wantsResult;
        HRESULT expected;
    };
    const Case cases[] = {
        {"an assignment", DISPATCH_PROPERTYPUT, 1, 1, true, DISP_E_MEMBERNOTFOUND},
        {"an argument", DISPATCH_METHOD, 1, 0, true, DISP_E_BADPARAMCOUNT},
        {"two arguments", DISPATCH_METHOD | DISPATCH_PROPERTYGET, 2, 0, true, DISP_E_BADPARAMCOUNT},
        {"a named argument", DISPATCH_METHOD, 1, 1, true, DISP_E_NONAMEDARGS},
        {"no result wanted", DISPATCH_METHOD, 0, 0, false, S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        win::Variant args[2];
        for (win::Variant& a : args) {
            V_VT(&a.get()) = VT_I4;
            V_I4(&a.get()) = 7;
        }
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&args[0].get(), c.named ? &named : nullptr, c.args, c.named};
        win::Variant result;
        win::ExcepInfo error;
        EXPECT_EQ(dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, c.flags, &params,
                                   c.wantsResult ? result.put() : nullptr, &error, nullptr),
                  c.expected);
        EXPECT_EQ(result.type(), VT_EMPTY);
    }
    // The other members are still served by the type library.
    Bstr argument(L"x");
    const win::Variant version = win::call(dispatch.get(), L"dllVersion", {win::byValue(argument)});
    EXPECT_EQ(render(version.get()), L"\"1.0.5\"");
}

TEST_F(Plugin, VersionResourceIs1_00_0005) {
    const std::wstring dll = demoPath(L"Plugins\\zelrcKORA.dll");
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(dll.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(dll.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000005u);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\FileVersion", reinterpret_cast<void**>(&text),
                               &length));
    EXPECT_STREQ(text, L"1.00.0005");
}

TEST_F(Plugin, UnloadsOnceEveryObjectIsReleased) {
    {
        ComPtr<_clsPlugin> plugin = createPlugin();
        ASSERT_TRUE(plugin);
        auto dispatch = plugin.as<IDispatch>(IID_IDispatch);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(dispatch->GetTypeInfo(0, 0, info.put()), S_OK);
        plugin.reset();
        unloadUnusedServers();
        EXPECT_TRUE(pluginLoaded()) << "an interface is still held";
    }
    unloadUnusedServers();
    EXPECT_FALSE(pluginLoaded()) << "DllCanUnloadNow did not allow the unload";
}

win::Window newHost() {
    return win::Window(CreateWindowExW(WS_EX_CONTROLPARENT, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                       0, 0, 760, 480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

HRESULT loadInto(_clsPlugin* plugin, HWND host) {
    win::Variant pdat = testing::pdatOf(L"k");
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return plugin->LoadInterface(3, HandleToLong(host), &pdat.get(), &missing);
}

HRESULT sendReply(_clsPlugin* plugin) {
    Bstr reply(
        L"SGFyYm91ciBOaWdodA==|Tkw=|1||31|30|2|1|15|1|0|1|SGkNCkFsbA==|Qmx1ZTE=|||1|5|1|0|15|210|100|1|"
        L"0|0|0|1|400|0|0|1|0|1|1|6|180|0|60|300|20|1|17480[-]1|1|0|1|0[-]VlItMTQ=,1[-]1");
    BSTR data = reply.get();
    return plugin->RemoteData(&data);
}

std::wstring controlText(HWND form, const wchar_t* name) {
    AutomationRequest request;
    request.name = name;
    SendMessageW(form, automationMessage(), 0, reinterpret_cast<LPARAM>(&request));
    wchar_t text[64] = {};
    GetWindowTextW(request.window, text, 64);
    return text;
}

// The host may hold no object between its calls: the form lives in the host's
// window, and with it the library and its module state. A new object's reply
// fills that same form. Once the host's window is gone, the library unloads.
TEST_F(Plugin, TheFormKeepsTheLibraryLoadedUntilTheHostsWindowGoes) {
    suite::BoxAnswerer answerer;
    std::vector<suite::RelayRequest> requests;
    suite::RelayWindow relay([&](const suite::RelayRequest& r) {
        requests.push_back(r);
        return true;
    });
    win::Window host = newHost();
    ASSERT_TRUE(host);
    {
        ComPtr<_clsPlugin> plugin = createPlugin();
        ASSERT_TRUE(plugin);
        ASSERT_EQ(loadInto(plugin.get(), host.get()), S_OK);
    }
    CoFreeUnusedLibrariesEx(0, 0);
    testing::pumpMessages();
    ASSERT_TRUE(answerer.boxes().empty()) << win::narrow(answerer.boxes()[0].text);
    ASSERT_TRUE(pluginLoaded());
    HWND form = FindWindowExW(host.get(), nullptr, kFormWindowClass, nullptr);
    ASSERT_TRUE(form);
    ASSERT_EQ(requests.size(), 1u);

    {
        ComPtr<_clsPlugin> plugin = createPlugin();
        ASSERT_TRUE(plugin);
        ASSERT_EQ(sendReply(plugin.get()), S_OK);
    }
    unloadUnusedServers();
    testing::pumpMessages();
    EXPECT_TRUE(pluginLoaded());
    EXPECT_EQ(FindWindowExW(host.get(), nullptr, kFormWindowClass, nullptr), form);
    EXPECT_EQ(GetParent(form), host.get());
    EXPECT_EQ(controlText(form, L"savServerName"), L"Harbour Night");
    EXPECT_TRUE(answerer.boxes().empty());

    host.reset();  // takes the form with it
    unloadUnusedServers();
    EXPECT_FALSE(pluginLoaded());
    suite::removeTree(exeFolder() + L"\\RCData");
}

TEST_F(Plugin, AHostWindowDestroyedUnderTheFormGivesTheNextLoadANewForm) {
    suite::BoxAnswerer answerer;
    suite::RelayWindow relay([](const suite::RelayRequest&) { return true; });
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    const auto load = [&](HWND host) { return loadInto(plugin.get(), host); };
    win::Window first = newHost();
    ASSERT_EQ(load(first.get()), S_OK);
    testing::pumpMessages();
    ASSERT_TRUE(FindWindowExW(first.get(), nullptr, kFormWindowClass, nullptr));
    first.reset();  // the host closes the server's window while it holds the object
    testing::pumpMessages();

    win::Window second = newHost();
    ASSERT_EQ(load(second.get()), S_OK);
    testing::pumpMessages();
    HWND form = FindWindowExW(second.get(), nullptr, kFormWindowClass, nullptr);
    ASSERT_TRUE(form);
    EXPECT_TRUE(GetWindowLongW(form, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(answerer.boxes().empty()) << win::narrow(answerer.boxes()[0].text);
    ASSERT_EQ(sendReply(plugin.get()), S_OK);
    EXPECT_EQ(controlText(form, L"savServerName"), L"Harbour Night");
    EXPECT_TRUE(answerer.boxes().empty());

    plugin.reset();
    second.reset();
    unloadUnusedServers();
    EXPECT_FALSE(pluginLoaded());
    suite::removeTree(exeFolder() + L"\\RCData");
}

// Message boxes and file dialogs pump messages: inside one the host may
// destroy its window, release every object and free unused libraries. The
// operation that opened it ends without touching what went (a Save writes
// nothing over the chosen file), and the next LoadInterface starts afresh.
TEST_F(Plugin, AHostThatLeavesInsideAModalCallLosesNothing) {
    struct Case {
        const wchar_t* button;
        const wchar_t* modal;  // the title of what the click opens
    };
    const Case cases[] = {{L"cmdUpdate", L"Failed!"}, {L"cmdSave", L"Save Server Settings"}};
    _wputenv(L"KORASTAND_DEVELOPMENT=1");  // BasePath: the demo, with its button faces
    const std::wstring profiles = demoFolder() + L"\\profiles\\9", profile = profiles + L"\\left.ssf";
    CreateDirectoryW((demoFolder() + L"\\profiles").c_str(), nullptr);
    CreateDirectoryW(profiles.c_str(), nullptr);
    suite::RelayWindow relay([](const suite::RelayRequest&) { return true; });
    auto newHost = [] {
        return win::Window(CreateWindowExW(WS_EX_CONTROLPARENT, L"Static", L"host",
                                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 760, 480, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr));
    };
    auto load = [](_clsPlugin* plugin, HWND host) {
        win::Variant pdat = testing::pdatOf(L"k");
        VARIANT missing;
        VariantInit(&missing);
        V_VT(&missing) = VT_ERROR;
        V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
        return plugin->LoadInterface(9, HandleToLong(host), &pdat.get(), &missing);
    };
    for (const Case& c : cases) {
        const std::string what = win::narrow(c.button);
        win::Window host = newHost();
        ComPtr<_clsPlugin> plugin = createPlugin();
        ASSERT_EQ(load(plugin.get(), host.get()), S_OK) << what;
        testing::pumpMessages();
        HWND form = FindWindowExW(host.get(), nullptr, kFormWindowClass, nullptr);
        AutomationRequest request;
        request.name = c.button;
        SendMessageW(form, automationMessage(), 0, reinterpret_cast<LPARAM>(&request));
        ASSERT_TRUE(request.window) << what;
        bool stayedLoaded = false;
        suite::BoxAnswerer answerer([&](const suite::SeenBox& box) {
            if (box.title != c.modal) return IDOK;
            host.reset();
            plugin.reset();
            CoFreeUnusedLibrariesEx(0, 0);
            stayedLoaded = pluginLoaded();
            HWND dialog = FindWindowW(L"#32770", c.modal);
            if (dialog && suite::isFileDialog(dialog)) suite::confirmFileDialog(dialog, profile);
            return IDOK;
        });
        RECT r{};
        GetClientRect(request.window, &r);
        const LPARAM centre = MAKELPARAM(r.right / 2, r.bottom / 2);
        PostMessageW(request.window, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        PostMessageW(request.window, WM_LBUTTONUP, 0, centre);
        testing::pumpMessages();
        ASSERT_FALSE(answerer.boxes().empty()) << what;
        EXPECT_EQ(answerer.boxes()[0].title, c.modal) << what;
        EXPECT_EQ(answerer.boxes().size(), 1u) << what << ": " << win::narrow(answerer.boxes().back().text);
        EXPECT_TRUE(stayedLoaded) << what;
        EXPECT_EQ(GetFileAttributesW(profile.c_str()), INVALID_FILE_ATTRIBUTES) << what;

        unloadUnusedServers();
        EXPECT_FALSE(pluginLoaded()) << what;
        win::Window next = newHost();
        plugin = createPlugin();
        answerer.clear();
        ASSERT_EQ(load(plugin.get(), next.get()), S_OK) << what;
        testing::pumpMessages();
        EXPECT_TRUE(FindWindowExW(next.get(), nullptr, kFormWindowClass, nullptr)) << what;
        EXPECT_TRUE(answerer.boxes().empty()) << what;
        plugin.reset();
        next.reset();
        unloadUnusedServers();
    }
    _wputenv(L"KORASTAND_DEVELOPMENT=");
    suite::removeTree(profiles);
    suite::removeTree(demoFolder() + L"\\RCData");
}

TEST_F(Plugin, DllCanUnloadNowCountsObjectsFactoriesAndLocks) {
    win::Library library(LoadLibraryW(demoPath(L"Plugins\\zelrcKORA.dll").c_str()));
    ASSERT_TRUE(library);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto canUnload =
        reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(library.get(), "DllCanUnloadNow")));
    auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library.get(), "DllGetClassObject")));
    ASSERT_TRUE(canUnload && getClassObject);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_clsPlugin, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    ComPtr<_clsPlugin> plugin;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__clsPlugin, plugin.putVoid()), S_OK);
    ComPtr<IUnknown> outer = plugin.as<IUnknown>(IID_IUnknown);
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, aggregated.putVoid()), CLASS_E_NOAGGREGATION);
    outer.reset();
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    plugin.reset();
    EXPECT_EQ(canUnload(), S_FALSE) << "the server is locked";
    // Unlock through a fresh factory (LockServer counts per server).
    ASSERT_EQ(getClassObject(CLSID_clsPlugin, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnload(), S_OK);
    ComPtr<IUnknown> none;
    EXPECT_EQ(getClassObject(IID__clsPlugin, IID_IClassFactory, none.putVoid()), CLASS_E_CLASSNOTAVAILABLE);
}

TEST_F(Plugin, StartUpWithoutTheUtilityComponentShowsTheSubMainBoxAndStillAnswers) {
    ScopedUnregistration missing(demoPath(L"zelrcUTK.dll"));
    ASSERT_EQ(missing.result(), S_OK);
    ComPtr<_clsPlugin> plugin;
    suite::BoxAnswerer answerer;
    plugin = createPlugin();
    ASSERT_TRUE(plugin);
    ASSERT_EQ(answerer.boxes().size(), 1u);
    const suite::SeenBox& box = answerer.boxes()[0];
    EXPECT_EQ(box.title, L"DLL Error!");
    const std::string text = win::narrow(box.text);
    EXPECT_TRUE(std::regex_match(text, std::regex("Error Line: [1-9][0-9]*\r\n"
                                                  "Error 429: ActiveX component can't create object\r\n"
                                                  "DLL: zelrcKORA.dll\r\n"
                                                  "Function/Sub: SubMain\r\n"
                                                  "\r\n"
                                                  "Error Report Sent: Failed!")))
        << text;

    Descriptor d;
    ASSERT_EQ(plugin->GetData(&d), S_OK);
    EXPECT_STREQ(d.Name, L"Korastand");
    // The start-up runs once: a second object shows no second box.
    ComPtr<_clsPlugin> second = createPlugin();
    EXPECT_EQ(answerer.boxes().size(), 1u);
}

// A null collection (a pointer to a null pointer) is the privilege scripts'
// case; here the pointers themselves are null, which no host language passes.
TEST_F(Plugin, NullPointerArgumentsReturnNormally) {
    ComPtr<_clsPlugin> plugin = createPlugin();
    ASSERT_TRUE(plugin);
    suite::BoxAnswerer answerer;
    EXPECT_EQ(plugin->SetPrivis(nullptr, nullptr, VARIANT_TRUE), S_OK);
    EXPECT_EQ(plugin->HideInterface(nullptr), S_OK);
    EXPECT_TRUE(answerer.boxes().empty());
}

TEST_F(Plugin, RegistrationCanBeRemovedAndRestored) {
    {
        ScopedUnregistration gone(demoPath(L"Plugins\\zelrcKORA.dll"));
        ASSERT_EQ(gone.result(), S_OK);
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(L"zelrcKORA.clsPlugin", &clsid), CO_E_CLASSSTRING);
    }
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"zelrcKORA.clsPlugin", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_clsPlugin));
    win::RegKey key;
    const std::wstring inproc = L"CLSID\\{FFF44CE0-82FD-4976-834B-E32BEEAC7F4E}\\InprocServer32";
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, inproc.c_str(), 0, KEY_READ, key.put()), ERROR_SUCCESS);
    wchar_t model[32] = {};
    DWORD size = sizeof model;
    ASSERT_EQ(RegQueryValueExW(key.get(), L"ThreadingModel", nullptr, nullptr, reinterpret_cast<BYTE*>(model), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(model, L"Apartment");
}

}  // namespace
}  // namespace kora::test
