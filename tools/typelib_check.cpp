// typelib_check DLL: the PLUGIN record of the type library embedded in an
// i686 zelrcKORA.dll, read back in this x86-64 process, against the layout a
// 32-bit host reads: 116 bytes, each field directly after the one before.
// A 64-bit process reads the offsets as the library stores them, so this
// checks the i686 build where 32-bit code cannot run. Prints
// "PLUGIN 116 bytes, 19 offsets" and exits 0 when all match; else names each
// difference and exits 1 (2 when the library cannot be read).
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <iterator>
#include <memory>
#include <string>

#include "base/raii_win.h"

namespace {

struct Field {
    const wchar_t* name;
    VARTYPE type;
    ULONG offset;
};
// The same table as the plug-in's static_asserts on PLUGIN (i686).
constexpr Field kPlugin[] = {
    {L"Name", VT_BSTR, 0},
    {L"File", VT_BSTR, 4},
    {L"Version", VT_BSTR, 8},
    {L"Author", VT_BSTR, 12},
    {L"Description", VT_BSTR, 16},
    {L"Game", VT_VARIANT, 20},
    {L"HasInterface", VT_BOOL, 36},
    {L"ProfileMenu", VT_BOOL, 38},
    {L"ServerMenu", VT_BOOL, 40},
    {L"MainMenu", VT_BOOL, 42},
    {L"ProfileMenuItems", VT_VARIANT, 44},
    {L"ServerMenuItems", VT_VARIANT, 60},
    {L"MainMenuItems", VT_VARIANT, 76},
    {L"HelpFile", VT_BSTR, 92},
    {L"MinRCVer", VT_BSTR, 96},
    {L"MinCDXVer", VT_BSTR, 100},
    {L"MinUTKVer", VT_BSTR, 104},
    {L"MinZELVer", VT_BSTR, 108},
    {L"MinRCCVer", VT_BSTR, 112},
};
constexpr ULONG kSize = 116;
constexpr GUID kPluginRecord = {0xdea843c6, 0xade1, 0x479c, {0x92, 0x47, 0x48, 0x73, 0xa5, 0xc7, 0xa2, 0xbf}};

int check(const wchar_t* dll) {
    using kora::win::ComPtr;
    ComPtr<ITypeLib> library;
    ComPtr<ITypeInfo> record;
    if (FAILED(LoadTypeLibEx(dll, REGKIND_NONE, library.put())) ||
        FAILED(library->GetTypeInfoOfGuid(kPluginRecord, record.put()))) {
        std::fwprintf(stderr, L"typelib_check: no PLUGIN record in the type library of %ls\n", dll);
        return 2;
    }
    TYPEATTR* rawAttr = nullptr;
    if (FAILED(record->GetTypeAttr(&rawAttr))) return 2;
    const auto releaseAttr = [&](TYPEATTR* a) { record->ReleaseTypeAttr(a); };
    std::unique_ptr<TYPEATTR, decltype(releaseAttr)> attr(rawAttr, releaseAttr);

    int differences = 0;
    const auto differ = [&](const wchar_t* what, const std::wstring& field, unsigned long got, unsigned long want) {
        if (got == want) return;
        std::fwprintf(stderr, L"typelib_check: %ls%ls is %lu, not %lu\n", field.c_str(), what, got, want);
        ++differences;
    };
    differ(L"PLUGIN's size", L"", attr->cbSizeInstance, kSize);
    differ(L"PLUGIN's field count", L"", attr->cVars, static_cast<unsigned long>(std::size(kPlugin)));
    for (UINT i = 0; i < attr->cVars && i < std::size(kPlugin); ++i) {
        VARDESC* rawVar = nullptr;
        if (FAILED(record->GetVarDesc(i, &rawVar))) return 2;
        const auto releaseVar = [&](VARDESC* v) { record->ReleaseVarDesc(v); };
        std::unique_ptr<VARDESC, decltype(releaseVar)> var(rawVar, releaseVar);
        kora::win::Bstr name;
        record->GetDocumentation(var->memid, name.put(), nullptr, nullptr, nullptr);
        const Field& want = kPlugin[i];
        if (name.view() != want.name) {
            std::fwprintf(stderr, L"typelib_check: field %u is %ls, not %ls\n", i, name.get(), want.name);
            ++differences;
        }
        differ(L"'s type", want.name, var->elemdescVar.tdesc.vt, want.type);
        differ(L"'s offset", want.name, var->oInst, want.offset);
    }
    if (differences) return 1;
    std::printf("PLUGIN %lu bytes, %u offsets\n", attr->cbSizeInstance, static_cast<unsigned>(std::size(kPlugin)));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: typelib_check DLL\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const int status = check(argv[1]);
    CoUninitialize();
    return status;
}
