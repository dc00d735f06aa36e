// The in-memory realisation of the form contract, for the core's tests and
// benchmarks. It behaves like the real controls: the same values are accepted
// and rejected, the same behaviours run.
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

    std::string text(Control c) const override;
    void setText(Control c, std::string_view text) override;
    int checkValue(Control c) const override;
    void setCheckValue(Control c, int value) override;
    int listIndex(Control c) const override;
    void setListIndex(Control c, int index) override;
    int optionElement(Control c) const override;
    void setOptionElement(Control c, int element) override;
    int itemCount(Control c) const override;
    std::string itemText(Control c, int index) const override;
    void addItem(Control c, std::string_view text) override;
    void clearItems(Control c) override;
    bool itemSelected(Control c, int index) const override;
    void setItemSelected(Control c, int index, bool selected) override;
    bool enabled(Control c) const override;
    void setEnabled(Control c, bool enabled) override;

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
