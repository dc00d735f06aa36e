// One move-only owner for every kind of handle: a template over the handle
// type and the type that closes it. A closer is a type whose call makes the
// release call itself, never a function pointer passed along: a Windows
// function's calling convention (stdcall on 32-bit) is easily lost in a
// generic signature. Portable: the server side uses it for its descriptors.
#pragma once

#include <utility>

namespace kora {

// `Close{}(h)` releases h. A closer may add `static H none()`, the value that
// holds nothing (null otherwise), and `static void adopted(H)`, told of each
// handle taken over (such an owner hands out no put() slot, which would bypass it).
template <class H, class Close>
class Owner {
public:
    using type = H;
    static H none() noexcept {
        if constexpr (requires { Close::none(); })
            return Close::none();
        else
            return H{};
    }

    Owner() noexcept = default;
    explicit Owner(H h) noexcept { reset(h); }
    static Owner attach(H h) noexcept { return Owner(h); }
    Owner(Owner&& other) noexcept : h_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = other.release();
        }
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != none(); }
    // For out-parameters: releases what is held, then hands out the slot.
    H* put() noexcept requires(!requires(H h) { Close::adopted(h); }) {
        reset();
        return &h_;
    }
    [[nodiscard]] H release() noexcept { return std::exchange(h_, none()); }
    void reset(H h = none()) noexcept {
        if constexpr (requires { Close::adopted(h); })
            if (h != none()) Close::adopted(h);
        if (const H old = std::exchange(h_, h); old != none()) Close{}(old);
    }

protected:
    H h_ = none();
};

}  // namespace kora
