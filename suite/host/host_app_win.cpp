#include "host_app_win.h"

#include "base/text_win.h"

namespace kora::suite {
namespace {

std::string variantText(const VARIANT& v) {
    if (V_VT(&v) == VT_EMPTY) return "Empty";
    if (V_VT(&v) != (VT_ARRAY | VT_BSTR)) return "(type " + std::to_string(V_VT(&v)) + ")";
    SAFEARRAY* sa = V_ARRAY(&v);
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(sa, 1, &lower);
    SafeArrayGetUBound(sa, 1, &upper);
    std::string out = "(" + std::to_string(lower) + " To " + std::to_string(upper) + ") [";
    for (LONG i = lower; i <= upper; ++i) {
        win::Bstr item;
        SafeArrayGetElement(sa, &i, item.put());
        if (i > lower) out += ", ";
        out += win::fromBstr(item.get());
    }
    return out + "]";
}

std::string boolText(VARIANT_BOOL b) { return b == VARIANT_TRUE ? "True" : b ? "(invalid)" : "False"; }

}  // namespace

std::string describeDescriptor(const PLUGIN& d) {
    std::string out;
    auto line = [&out](const char* name, const std::string& value) {
        out += name;
        out += ": ";
        out += value;
        out += '\n';
    };
    line("Name", win::fromBstr(d.Name));
    line("File", win::fromBstr(d.File));
    line("Version", win::fromBstr(d.Version));
    line("Author", win::fromBstr(d.Author));
    line("Description", win::fromBstr(d.Description));
    line("Game", variantText(d.Game));
    line("HasInterface", boolText(d.HasInterface));
    line("ProfileMenu", boolText(d.ProfileMenu));
    line("ServerMenu", boolText(d.ServerMenu));
    line("MainMenu", boolText(d.MainMenu));
    line("ProfileMenuItems", variantText(d.ProfileMenuItems));
    line("ServerMenuItems", variantText(d.ServerMenuItems));
    line("MainMenuItems", variantText(d.MainMenuItems));
    line("HelpFile", win::fromBstr(d.HelpFile));
    line("MinRCVer", win::fromBstr(d.MinRCVer));
    line("MinCDXVer", win::fromBstr(d.MinCDXVer));
    line("MinUTKVer", win::fromBstr(d.MinUTKVer));
    line("MinZELVer", win::fromBstr(d.MinZELVer));
    line("MinRCCVer", win::fromBstr(d.MinRCCVer));
    return out;
}

HostApp::HostApp(std::FILE* out) : out_(out), relay_([this](const RelayRequest& r) { return onRequest(r); }) {}

void HostApp::print(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), out_);
    std::fflush(out_);
}

bool HostApp::loadPlugin() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"zelrcKORA.clsPlugin", &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__clsPlugin, plugin_.putVoid());
    if (FAILED(hr)) {
        char text[96];
        std::snprintf(text, sizeof text, "cannot create zelrcKORA.clsPlugin (0x%08lX)\n",
                      static_cast<unsigned long>(hr));
        print(text);
        return false;
    }
    return true;
}

bool HostApp::printDescriptor() {
    if (!plugin_) return false;
    PLUGIN descriptor{};
    if (FAILED(plugin_->GetData(&descriptor))) {
        print("GetData failed\n");
        return false;
    }
    print(describeDescriptor(descriptor));
    for (BSTR b : {descriptor.Name, descriptor.File, descriptor.Version, descriptor.Author, descriptor.Description,
                   descriptor.HelpFile, descriptor.MinRCVer, descriptor.MinCDXVer, descriptor.MinUTKVer,
                   descriptor.MinZELVer, descriptor.MinRCCVer})
        SysFreeString(b);
    for (VARIANT* v :
         {&descriptor.Game, &descriptor.ProfileMenuItems, &descriptor.ServerMenuItems, &descriptor.MainMenuItems})
        VariantClear(v);
    win::Bstr name(L"anything"), version;
    if (FAILED(plugin_->dllVersion(name.get(), version.put()))) {
        print("dllVersion failed\n");
        return false;
    }
    print("dllVersion: " + win::fromBstr(version.get()) + "\n");
    return true;
}

bool HostApp::onRequest(const RelayRequest& request) {
    requests_.push_back(request);
    print("request: " + win::narrow(request.text) + "\n  reply file: " + win::narrow(request.path) + "\n");
    return true;
}

}  // namespace kora::suite
