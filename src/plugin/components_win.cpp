#include "plugin/components_win.h"

#include "base/text_win.h"
#include "plugin/dispatch_object_win.h"
#include "plugin/dispatch_win.h"

namespace kora::win {
namespace {

// File paths go to the component plain, as the plug-in builds them: the
// long-path form is for the plug-in's own file calls, and a component or host
// that keeps, shows or compares a path must see the one it knows.
class DispatchUtility final : public UtilityComponent {
public:
    explicit DispatchUtility(ComPtr<IDispatch> d) : d_(std::move(d)) {}

    void writeFile(const std::string& path, const std::string& text) override {
        // The reply file path goes by reference, the request text by value.
        Bstr p = toBstr(path), t = toBstr(text);
        call(d_.get(), L"WriteFile", {byRef(p), byValue(t)});
    }
    std::string getIniKey(const std::string& section, const std::string& key, const std::string& file) override {
        Bstr s = toBstr(section), k = toBstr(key), f = toBstr(file);
        return toText(call(d_.get(), L"GetIniKey", {byRef(s), byRef(k), byRef(f)}).get());
    }
    void writeIniKey(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override {
        Bstr s = toBstr(section), k = toBstr(key), v = toBstr(value), f = toBstr(file);
        call(d_.get(), L"WriteIniKey", {byRef(s), byRef(k), byRef(v), byRef(f)});
    }
    void logError(const std::string& library, const std::string& operation, const Failure& failure,
                  int32_t line) override {
        Bstr l = toBstr(library), o = toBstr(operation);
        ComPtr<IDispatch> error = errorObject(failure);
        call(d_.get(), L"LogError", {byValue(l), byValue(o), byValue(error.get()), byValue(line)});
    }
    std::optional<bool> sendErrorReport(const ErrorReport& report) override {
        Variant array = reportArray(report);
        return toOptionalBool(call(d_.get(), L"SendErrorReport", {byRef(array.get())}).get());
    }

private:
    static Variant reportArray(const ErrorReport& r) {
        SafeArray sa = SafeArray::attach(SafeArrayCreateVector(VT_VARIANT, 0, 6));
        if (!sa.get()) throw std::bad_alloc();
        const Bstr texts[] = {toBstr(r.number), toBstr(r.description), toBstr(r.library), toBstr(r.operation),
                              toBstr(r.marker)};
        VARIANT items[] = {byValue(texts[0]), byValue(texts[1]), byValue(texts[2]),
                           byValue(texts[3]), byValue(texts[4]), byValue(r.line)};
        for (LONG i = 0; i < 6; ++i)
            if (FAILED(SafeArrayPutElement(sa.get(), &i, &items[i]))) throw std::bad_alloc();
        Variant out;
        V_VT(out.put()) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&out.get()) = sa.release();
        return out;
    }

    ComPtr<IDispatch> d_;
};

class DispatchCodec final : public CodecComponent {
public:
    explicit DispatchCodec(ComPtr<IDispatch> d) : d_(std::move(d)) {}
    std::string enc64(const std::string& text) override {
        Bstr t = toBstr(text);
        return toText(call(d_.get(), L"Enc64", {byValue(t)}).get());
    }
    std::string dec64(std::string_view text) override {
        Bstr t = toBstr(text);
        return toText(call(d_.get(), L"Dec64", {byValue(t)}).get());
    }

private:
    ComPtr<IDispatch> d_;
};

class DispatchPrivileges final : public PrivilegeCollection {
public:
    explicit DispatchPrivileges(ComPtr<IDispatch> d) : d_(std::move(d)) {}
    int32_t count() override {
        const Variant n = invoke(d_.get(), L"Count", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
        return static_cast<int32_t>(toNumber(n.get()));
    }
    double item(const std::string& key) override {
        Bstr k = toBstr(key);
        return toNumber(call(d_.get(), L"Item", {byValue(k)}).get());
    }

private:
    ComPtr<IDispatch> d_;
};

class ErrorObject final : public DispatchObject {
public:
    explicit ErrorObject(const Failure& f) : number_(f.number), description_(widen(f.description)) {}

protected:
    std::span<const Member> members() const noexcept override {
        static constexpr Member kMembers[] = {{L"Number", 0}, {L"Description", 1}};
        return kMembers;
    }
    void invoke(DISPID id, WORD flags, const DispatchArgs&, VARIANT& result) override {
        if (!(flags & DISPATCH_PROPERTYGET)) throw DispatchError{err::ObjectNoProperty, L"Read-only property"};
        if (id == 0)
            setResult(result, number_);
        else
            setResult(result, description_);
    }

private:
    int32_t number_;
    std::wstring description_;
};

}  // namespace

ComPtr<IDispatch> createByProgId(std::wstring_view progId) {
    const std::wstring name(progId);
    CLSID clsid{};
    ComPtr<IDispatch> out;
    if (FAILED(CLSIDFromProgID(name.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                out.putVoid())) ||
        !out)
        raise(err::CannotCreateObject);
    return out;
}

std::shared_ptr<UtilityComponent> dispatchUtility(ComPtr<IDispatch> component) {
    return std::make_shared<DispatchUtility>(std::move(component));
}

std::shared_ptr<CodecComponent> dispatchCodec(ComPtr<IDispatch> component) {
    return std::make_shared<DispatchCodec>(std::move(component));
}

std::shared_ptr<PrivilegeCollection> dispatchPrivileges(ComPtr<IDispatch> collection) {
    return std::make_shared<DispatchPrivileges>(std::move(collection));
}

ComPtr<IDispatch> errorObject(const Failure& failure) { return ComPtr<IDispatch>::attach(new ErrorObject(failure)); }

}  // namespace kora::win
