// The RAII owners: each releases its resource exactly once, and moving hands
// the ownership over without a second release.
#include <gtest/gtest.h>

#include "base/raii_win.h"
#include "base/text_win.h"

namespace kora::win {
namespace {

// An IUnknown that counts its references and its destruction.
class Counted final : public IUnknown {
public:
    explicit Counted(int& destroyed) : destroyed_(destroyed) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!IsEqualIID(iid, IID_IUnknown)) return *out = nullptr, E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs;
        if (left == 0) {
            ++destroyed_;
            delete this;
        }
        return left;
    }
    ULONG refs = 1;

private:
    int& destroyed_;
};

TEST(ComPtr, ReleasesOnceMovesOwnershipAndPutReleasesWhatWasHeld) {
    int destroyed = 0;
    {
        auto a = ComPtr<IUnknown>::attach(new Counted(destroyed));
        ComPtr<IUnknown> b = std::move(a);
        EXPECT_FALSE(a);
        ComPtr<IUnknown> c = b.copy();
        EXPECT_EQ(static_cast<Counted*>(b.get())->refs, 2u);
        c = std::move(b);  // drops c's own reference, takes b's
        EXPECT_FALSE(b);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);

    auto a = ComPtr<IUnknown>::attach(new Counted(destroyed));
    IUnknown** slot = a.put();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(*slot, nullptr);
    *slot = new Counted(destroyed);
    IUnknown* raw = a.detach();
    EXPECT_FALSE(a);
    raw->Release();
    EXPECT_EQ(destroyed, 3);
}

TEST(Bstr, KeepsEmbeddedNulsAndTreatsNullAsEmpty) {
    const Bstr text(std::wstring_view(L"a\0b", 3));
    EXPECT_EQ(text.size(), 3u);
    EXPECT_EQ(text.view(), std::wstring_view(L"a\0b", 3));
    const Bstr none;
    EXPECT_EQ(none.size(), 0u);
    EXPECT_EQ(none.view(), L"");
    Bstr moved = Bstr(L"x");
    Bstr target(L"old");
    target = std::move(moved);
    EXPECT_EQ(target.view(), L"x");
    EXPECT_EQ(moved.get(), nullptr);
}

TEST(Variant, ClearsItsContentsAndMovesThem) {
    int destroyed = 0;
    {
        Variant v;
        V_VT(v.put()) = VT_UNKNOWN;
        V_UNKNOWN(&v.get()) = new Counted(destroyed);
        Variant w = std::move(v);
        EXPECT_EQ(v.type(), VT_EMPTY);
        EXPECT_EQ(w.type(), VT_UNKNOWN);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(SafeArray, DestroysTheArrayAndItsStrings) {
    SafeArray sa = SafeArray::attach(SafeArrayCreateVector(VT_BSTR, 0, 2));
    ASSERT_NE(sa.get(), nullptr);
    LONG i = 1;
    Bstr text(L"kept by the array");
    ASSERT_EQ(SafeArrayPutElement(sa.get(), &i, text.get()), S_OK);
    SafeArray other = std::move(sa);
    EXPECT_EQ(sa.get(), nullptr);
    Bstr back;
    ASSERT_EQ(SafeArrayGetElement(other.get(), &i, back.put()), S_OK);
    EXPECT_EQ(back.view(), L"kept by the array");
}

TEST(UniqueHandle, ClosesKernelHandlesAndDestroysWindows) {
    HANDLE raw = nullptr;
    {
        FileHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
        raw = event.get();
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags));
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    { Window owner(window); }
    EXPECT_FALSE(IsWindow(window));
}

// Text outside the Basic Plane round-trips through the real form (the form
// contract) and typed text through the script tests; what they cannot reach
// are unpaired surrogates and a null BSTR.
TEST(Text, StrictNarrowingRefusesUnpairedSurrogatesAndNullIsEmpty) {
    EXPECT_EQ(narrowStrict(std::wstring(1, wchar_t(0xD800))), std::nullopt);
    EXPECT_EQ(narrowStrict(std::wstring(L"a") + wchar_t(0xDC00)), std::nullopt);
    EXPECT_EQ(narrowStrict(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(narrow(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(fromBstr(toBstr("Gr\xC3\xBC\xC3\x9F" "e").get()), "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(fromBstr(nullptr), "");
}

}  // namespace
}  // namespace kora::win
