// Owners of the fonts and brushes the form creates. They count the objects
// alive, so the tests can prove that every form gives back all it made.
#pragma once

#include <windows.h>

#include <utility>

namespace kora::win {

int& liveGdiObjectCount();

template <class H>
class GdiObject {
public:
    GdiObject() noexcept = default;
    explicit GdiObject(H handle) noexcept : h_(handle) {
        if (h_) ++liveGdiObjectCount();
    }
    GdiObject(GdiObject&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    void reset() noexcept {
        if (H old = std::exchange(h_, nullptr)) {
            DeleteObject(old);
            --liveGdiObjectCount();
        }
    }

private:
    H h_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;

}  // namespace kora::win
