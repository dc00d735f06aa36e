#include "keyed_collection_win.h"

namespace kora::suite {
namespace {

enum : DISPID { kItem = 0, kCount = 1 };  // Item is the default member
constexpr int32_t kInvalidCall = 5;

bool sameKey(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace

void KeyedCollection::set(const std::wstring& key, int32_t value) {
    for (auto& item : items_)
        if (sameKey(item.first, key)) {
            item.second = value;
            return;
        }
    items_.emplace_back(key, value);
}

const std::pair<std::wstring, int32_t>* KeyedCollection::find(const std::wstring& key) const {
    for (const auto& item : items_)
        if (sameKey(item.first, key)) return &item;
    return nullptr;
}

std::span<const win::DispatchObject::Member> KeyedCollection::members() const noexcept {
    static constexpr Member kMembers[] = {{L"Item", kItem}, {L"Count", kCount}};
    return kMembers;
}

void KeyedCollection::invoke(DISPID id, WORD, const win::DispatchArgs& args, VARIANT& result) {
    if (id == kCount) {
        win::setResult(result, static_cast<int32_t>(items_.size()));
        return;
    }
    const auto* item = find(args.text(0));
    if (!item) throw win::DispatchError{kInvalidCall, L"Invalid procedure call or argument"};
    win::setResult(result, item->second);
}

win::ComPtr<KeyedCollection> newKeyedCollection() {
    return win::ComPtr<KeyedCollection>::attach(new KeyedCollection());
}

}  // namespace kora::suite
