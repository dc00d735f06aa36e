// The in-memory realisation of the form contract, for the core's tests and
// benchmarks: storage only. What is accepted, rejected and what follows a
// change is the contract's own (form.cpp, behaviours.cpp), as on the real form.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "errors/module.h"
#include "form/form_window.h"

namespace kora {

class MemoryForm : public FormWindow {
public:
    // Builds the design state (items, initial texts, enabled states) and runs
    // FillNumberCombos, as Form_Load does.
    MemoryForm();

    void setParentWindow(uint64_t hwnd) override { parent = hwnd; }
    void show() override { visible = true; }
    void hide() override { visible = false; }
    void selectTab(int tab) override { currentTab = tab; }
    void setMousePointer(int pointer) override { pointers.push_back(pointer); }
    void setButtonState(std::string_view pictureName, std::string_view state) override {
        buttonStates.emplace_back(std::string(pictureName) + ":" + std::string(state));
    }

    // What the window-level calls did, for the tests.
    uint64_t parent = 0;
    bool visible = false;
    int currentTab = -1;
    std::vector<int> pointers;
    std::vector<std::string> buttonStates;

protected:
    std::string storedText(Control c) const override { return at(c).text; }
    void storeText(Control c, std::string_view text) override { at(c).text = text; }
    int storedValue(Control c) const override { return at(c).value; }
    void storeValue(Control c, int value) override;
    int storedItemCount(Control c) const override { return static_cast<int>(at(c).items.size()); }
    void storedItem(Control c, int i, std::string& to) const override { to += at(c).items[static_cast<size_t>(i)]; }
    int exactItem(Control c, std::string_view text) const override;
    void appendItem(Control c, std::string_view text) override;
    void removeItems(Control c) override;
    bool storedSelection(Control c, int i) const override { return at(c).selected[static_cast<size_t>(i)]; }
    void storeSelection(Control c, int i, bool on) override { at(c).selected[static_cast<size_t>(i)] = on; }
    bool storedEnabled(Control c) const override { return at(c).enabled; }
    void storeEnabled(Control c, bool enabled) override { at(c).enabled = enabled; }

private:
    struct State {
        std::string text;
        int value = 0;  // check value, list index or option element
        std::vector<std::string> items;
        std::vector<bool> selected;
        bool enabled = true;
    };
    State& at(Control c) { return states_[static_cast<size_t>(c)]; }
    const State& at(Control c) const { return states_[static_cast<size_t>(c)]; }

    std::array<State, kControlCount> states_;
};

}  // namespace kora
