// The base layer: the RAII owners (each releases its resource exactly once,
// and moving hands the ownership over without a second release), the GDI
// owners and selections, text conversion and the COM helpers.
#include <gtest/gtest.h>

#include "base/com_object_win.h"
#include "base/com_win.h"
#include "base/gdi_win.h"
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
    IUnknown* raw = a.release();
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

// The array's element holds the last reference: only destroying the array,
// once, after a move, releases it.
TEST(SafeArray, DestroysTheArrayAndItsElementsOnceAfterAMove) {
    int destroyed = 0;
    {
        SafeArray sa = SafeArray::attach(SafeArrayCreateVector(VT_UNKNOWN, 0, 2));
        ASSERT_NE(sa.get(), nullptr);
        LONG i = 1;
        auto element = ComPtr<IUnknown>::attach(new Counted(destroyed));
        ASSERT_EQ(SafeArrayPutElement(sa.get(), &i, element.get()), S_OK);
        element.reset();
        SafeArray other = std::move(sa);
        EXPECT_EQ(sa.get(), nullptr);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

// An owner closes what it holds once, when it goes or is given another; a
// moved-from owner holds nothing and closes nothing.
template <class O>
void closesOnceAndMovesAway(typename O::type (*make)(), bool (*open)(typename O::type)) {
    const auto a = make(), b = make();
    ASSERT_TRUE(open(a) && open(b));
    {
        O first(a), second(b);
        O moved(std::move(first));
        EXPECT_FALSE(first);
        second = std::move(moved);
        EXPECT_FALSE(open(b));
        EXPECT_TRUE(open(a));
        EXPECT_EQ(second.get(), a);
    }
    EXPECT_FALSE(open(a));
}

TEST(Owner, EachKindClosesOnceAndMovingHandsOver) {
    const std::pair<const char*, void (*)()> kinds[] = {
        {"kernel handle",
         [] {
             closesOnceAndMovesAway<FileHandle>([] { return CreateEventW(nullptr, TRUE, FALSE, nullptr); },
                                                [](HANDLE h) {
                                                    DWORD flags = 0;
                                                    return GetHandleInformation(h, &flags) != 0;
                                                });
         }},
        {"window",
         [] {
             closesOnceAndMovesAway<Window>(
                 [] {
                     return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
                 },
                 [](HWND h) { return IsWindow(h) != 0; });
         }},
        {"bitmap",
         [] {
             closesOnceAndMovesAway<GdiBitmap>([] { return CreateBitmap(1, 1, 1, 1, nullptr); },
                                               [](HBITMAP h) { return GetObjectType(h) != 0; });
         }},
        {"memory context",
         [] {
             closesOnceAndMovesAway<MemoryDC>([] { return CreateCompatibleDC(nullptr); },
                                              [](HDC h) { return GetObjectType(h) != 0; });
         }},
    };
    for (const auto& [name, check] : kinds) {
        SCOPED_TRACE(name);
        check();
    }
}

// Text outside the Basic Plane round-trips through the real form (the form
// contract) and typed text through the script tests; what they cannot reach
// are unpaired surrogates and a null BSTR.
TEST(Text, StrictNarrowingRefusesUnpairedSurrogatesAndNullIsEmpty) {
    EXPECT_EQ(narrowStrict(std::wstring(1, wchar_t(0xD800))), std::nullopt);
    EXPECT_EQ(narrowStrict(std::wstring(L"a") + wchar_t(0xDC00)), std::nullopt);
    EXPECT_EQ(narrowStrict(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(narrow(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(fromBstr(toBstr("Gr\xC3\xBC\xC3\x9F"
                              "e")
                           .get()),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(fromBstr(nullptr), "");
}

TEST(GdiOwners, ScopedSelectPutsThePreviousObjectBackOnceSoTheBitmapCanGo) {
    MemoryDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ initial = GetCurrentObject(dc.get(), OBJ_BITMAP);
    GdiBitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
    const HBITMAP handle = bitmap.get();
    {
        ScopedSelect select(dc.get(), handle);
        EXPECT_TRUE(select.selected());
        EXPECT_EQ(select.previous(), initial);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), handle);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), initial);
    bitmap.reset();
    EXPECT_EQ(GetObjectType(handle), 0u);

    // An early restore is done once: a later selection is not undone twice.
    GdiBitmap first(CreateBitmap(2, 2, 1, 32, nullptr));
    GdiBitmap second(CreateBitmap(2, 2, 1, 32, nullptr));
    ScopedSelect outer(dc.get(), first.get());
    {
        ScopedSelect inner(dc.get(), second.get());
        inner.restore();
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), first.get());
        SelectObject(dc.get(), second.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), second.get());
    // A failed selection restores nothing.
    EXPECT_FALSE(ScopedSelect(dc.get(), nullptr).selected());
}

TEST(GdiOwners, CountedOwnersCountWhatTheyHoldAndMovingCountsNothing) {
    const int before = liveCountedGdiObjects();
    {
        CountedGdiObject<HBRUSH> a(CreateSolidBrush(RGB(1, 2, 3)));
        CountedGdiObject<HBRUSH> none(nullptr);
        EXPECT_EQ(liveCountedGdiObjects(), before + 1);
        CountedGdiObject<HBRUSH> b(std::move(a));
        CountedGdiObject<HBRUSH> c(CreateSolidBrush(RGB(4, 5, 6)));
        EXPECT_EQ(liveCountedGdiObjects(), before + 2);
        c = std::move(b);  // c's own brush goes
        EXPECT_EQ(liveCountedGdiObjects(), before + 1);
        c.reset(CreateSolidBrush(RGB(7, 8, 9)));
        EXPECT_EQ(liveCountedGdiObjects(), before + 1);
    }
    EXPECT_EQ(liveCountedGdiObjects(), before);
}

TEST(GdiOwners, SelectedMemoryDcHoldsItsObjectForItsLifeAndLetsItGo) {
    GdiBitmap first(CreateBitmap(2, 2, 1, 32, nullptr));
    GdiBitmap second(CreateBitmap(2, 2, 1, 32, nullptr));
    const HBITMAP firstHandle = first.get(), secondHandle = second.get();
    HDC context = nullptr;
    {
        SelectedMemoryDC dc;
        EXPECT_FALSE(dc);
        dc.reset(nullptr, first.get());
        ASSERT_TRUE(dc);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), first.get());
        dc.reset(nullptr, second.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), second.get());
        first.reset();
        EXPECT_EQ(GetObjectType(firstHandle), 0u);
        context = dc.get();
    }
    EXPECT_EQ(GetObjectType(context), 0u);
    second.reset();
    EXPECT_EQ(GetObjectType(secondHandle), 0u);
}

TEST(ComHelpers, RunTimeNumbersAndHresultsMapByTheControlFacility) {
    const std::pair<int32_t, HRESULT> numbers[] = {
        {5, static_cast<HRESULT>(0x800A0005)},     {360, static_cast<HRESULT>(0x800A0168)},
        {65535, static_cast<HRESULT>(0x800AFFFF)}, {0, S_OK},
        {65536, static_cast<HRESULT>(0x00010000)}, {-2147467259, E_FAIL},
    };
    for (const auto& [number, hr] : numbers) {
        EXPECT_EQ(hresultFromErrorNumber(number), hr) << number;
        EXPECT_EQ(errorNumberFromHresult(hr), number) << std::hex << hr;
    }
    const std::pair<HRESULT, int32_t> dispatch[] = {
        {DISP_E_UNKNOWNNAME, 438}, {DISP_E_MEMBERNOTFOUND, 438}, {DISP_E_TYPEMISMATCH, 13}, {DISP_E_OVERFLOW, 6}};
    for (const auto& [hr, number] : dispatch) EXPECT_EQ(errorNumberFromHresult(hr), number) << std::hex << hr;
}

TEST(ComHelpers, FollowReferenceGoesThroughVariantReferencesOnly) {
    Bstr text(L"value");
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = text.get();
    VARIANT inner, outer, dangling, byRefText;
    V_VT(&inner) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&inner) = &value;
    V_VT(&outer) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&outer) = &inner;
    V_VT(&dangling) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&dangling) = nullptr;
    BSTR slot = text.get();
    V_VT(&byRefText) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&byRefText) = &slot;
    EXPECT_EQ(&followReference(outer), &value);
    EXPECT_EQ(&followReference(value), &value);
    EXPECT_EQ(&followReference(dangling), &dangling);
    EXPECT_EQ(&followReference(byRefText), &byRefText);
}

TEST(ComHelpers, ChangeTypeReadsNumbersTheSameEverywhere) {
    Bstr text(L"1.5");
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = text.get();
    Variant out;
    ASSERT_EQ(changeType(value, VT_R8, out), S_OK);
    EXPECT_EQ(V_R8(&out.get()), 1.5);
    Bstr word(L"many");
    V_BSTR(&value) = word.get();
    EXPECT_EQ(changeType(value, VT_R8, out), DISP_E_TYPEMISMATCH);
}

// Two interfaces behind one table; counts its destruction.
class TwoFaced final : public ComObject<TwoFaced, IPersist, ISupportErrorInfo> {
public:
    explicit TwoFaced(int& destroyed) : destroyed_(destroyed) {}
    static const QITAB* interfaces() noexcept {
        static const QITAB rows[] = {row<IPersist>(IID_IPersist), row<ISupportErrorInfo>(IID_ISupportErrorInfo), {}};
        return rows;
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        *id = CLSID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) override { return S_OK; }

private:
    ~TwoFaced() override { ++destroyed_; }
    int& destroyed_;
};

TEST(ComObject, AnswersItsTableKeepsOneIdentityAndGoesWithTheLastReference) {
    int destroyed = 0;
    auto* object = new TwoFaced(destroyed);
    ComPtr<IUnknown> unknown, again;
    ComPtr<IPersist> persist;
    ComPtr<ISupportErrorInfo> errors;
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, unknown.putVoid()), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_IPersist, persist.putVoid()), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, errors.putVoid()), S_OK);
    EXPECT_EQ(errors.get(), static_cast<ISupportErrorInfo*>(object));
    EXPECT_EQ(persist.get(), static_cast<IPersist*>(object));
    // Asked through the second interface, IUnknown is still the same pointer.
    ASSERT_EQ(errors->QueryInterface(IID_IUnknown, again.putVoid()), S_OK);
    EXPECT_EQ(again.get(), unknown.get());
    void* none = object;
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    object->Release();  // the creator's reference
    unknown.reset();
    persist.reset();
    again.reset();
    EXPECT_EQ(destroyed, 0);
    errors.reset();
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
}  // namespace kora::win
