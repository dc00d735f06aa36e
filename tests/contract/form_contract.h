// What a realisation of the settings form brings to the contract suite
// (form_contract_tests.h): its factory and the user's acts (clicks, scrolling,
// typing), which on the real form go through the real controls.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "errors/failure.h"
#include "errors/module.h"
#include "form/behaviours.h"
#include "form/catalogue.h"
#include "form/form_window.h"

namespace kora::contract {

class RecordingBoxes : public MessageBoxes {
public:
    std::vector<std::pair<std::string, std::string>> shown;  // title, text
    void show(std::string_view title, std::string_view text) override { shown.emplace_back(title, text); }
};

struct FormRealisation {
    std::string name;
    std::function<std::unique_ptr<FormWindow>(Module&)> create;
    std::function<std::shared_ptr<FileService>()> files;  // what the form may look for on disk
    // The user's acts. The module's form is the one acted on; an act left
    // empty skips its tests.
    std::function<void(Module&, Control check)> clickCheck;
    std::function<void(Module&, Control group, int element)> clickOption;
    std::function<void(Module&, Control list, int item)> clickItem;   // multi-select lists
    std::function<void(Module&)> scrollPlayersDown;                   // one step
    std::function<void(Module&, std::string_view text)> typeCountry;  // replaces savCountry's text
};

inline void PrintTo(const FormRealisation& r, std::ostream* os) { *os << r.name; }
inline std::string realisationName(const ::testing::TestParamInfo<FormRealisation>& param) { return param.param.name; }

// The number of the run-time error that `action` raises, or 0.
inline int32_t errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RunError& e) {
        return e.failure().number;
    }
    return 0;
}

inline int indexOfCountry(std::string_view code) {
    const auto codes = countryCodes();
    for (size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == code) return static_cast<int>(i);
    return -1;
}

}  // namespace kora::contract
