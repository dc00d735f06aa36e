// The host's keyed privilege collection as the plug-in sees it through
// IDispatch: Count, and Item(key) that fails with run-time error 5
// (0x800A0005) for a key it does not hold, as the host language's keyed
// collections do. Keys compare without regard to case, like theirs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "plugin/dispatch_object_win.h"

namespace kora::suite {

class KeyedCollection final : public win::DispatchObject {
public:
    KeyedCollection() = default;
    // Adds the item, or replaces the item of an existing key.
    void set(const std::wstring& key, int32_t value);
    void clear() { items_.clear(); }
    size_t size() const noexcept { return items_.size(); }

protected:
    std::span<const Member> members() const noexcept override;
    void invoke(DISPID id, WORD flags, const win::DispatchArgs& args, VARIANT& result) override;
    std::wstring_view source() const noexcept override { return L"Collection"; }

private:
    ~KeyedCollection() override = default;
    const std::pair<std::wstring, int32_t>* find(const std::wstring& key) const;

    std::vector<std::pair<std::wstring, int32_t>> items_;
};

// A new, empty collection with one reference, owned by the caller.
win::ComPtr<KeyedCollection> newKeyedCollection();

}  // namespace kora::suite
