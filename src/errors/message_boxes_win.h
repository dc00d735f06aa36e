// The plug-in's message boxes: real, modal MessageBoxW with an OK button only.
#pragma once

#include "errors/show_message.h"

namespace kora::win {

class Win32MessageBoxes final : public MessageBoxes {
public:
    void show(std::string_view title, std::string_view text) override;
};

}  // namespace kora::win
