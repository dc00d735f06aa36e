// The settings form as a window: what the operations need beyond its controls.
#pragma once

#include <cstdint>
#include <string_view>

#include "form/form.h"

namespace kora {

class FormWindow : public Form {
public:
    virtual void setParentWindow(uint64_t hwnd) = 0;  // SetParent
    virtual void show() = 0;                          // not modal
    virtual void hide() = 0;
    virtual void selectTab(int tab) = 0;
    static constexpr int kDefaultPointer = 0;
    static constexpr int kHourglass = 11;
    virtual void setMousePointer(int pointer) = 0;  // kDefaultPointer or kHourglass
    // Shows an image button pressed ("Down") or released (anything else).
    virtual void setButtonState(std::string_view pictureName, std::string_view state) = 0;
};

}  // namespace kora
