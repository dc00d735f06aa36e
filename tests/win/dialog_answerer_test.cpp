// The host's dialog answering as the demo uses it: with answering off (a
// person works in the host) a message box is still reported but stays open
// until someone answers it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/raii_win.h"
#include "dialog_answerer_win.h"

namespace kora::test {
namespace {

constexpr wchar_t kTitle[] = L"Korastand answering test";
constexpr UINT_PTR kLookMs = 300;

// What the timer saw while the box's own loop ran; the timer answers the box
// as a person would, so a box left open cannot hang the test.
struct Look {
    bool fired = false;
    bool boxOpen = false;
};
thread_local Look* t_look = nullptr;

void CALLBACK lookAtBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!t_look) return;
    t_look->fired = true;
    HWND box = FindWindowW(L"#32770", kTitle);
    t_look->boxOpen = box != nullptr && IsWindowVisible(box);
    if (box) PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class BoxRun {
public:
    explicit BoxRun(bool answering) {
        answerer_.emplace(nullptr, WM_APP + 9, [this](const suite::SeenBox& box) { seen_.push_back(box); });
        answerer_->setAnswering(answering);
        t_look = &look_;
    }
    ~BoxRun() { t_look = nullptr; }
    BoxRun(const BoxRun&) = delete;
    BoxRun& operator=(const BoxRun&) = delete;

    int show(const wchar_t* text) {
        const UINT_PTR timer = SetTimer(nullptr, 0, kLookMs, &lookAtBox);
        const int answer = MessageBoxW(nullptr, text, kTitle, MB_OK);
        KillTimer(nullptr, timer);
        return answer;
    }
    const std::vector<suite::SeenBox>& seen() const { return seen_; }
    const Look& look() const { return look_; }

private:
    std::vector<suite::SeenBox> seen_;
    Look look_;
    std::optional<suite::DialogAnswerer> answerer_;
};

// A scripted host answers a box at once; with answering off it is reported
// but stays open for a person.
TEST(DialogAnswering, ABoxIsReportedAndAnsweredOnlyWhenAnsweringIsOn) {
    for (const bool answering : {true, false}) {
        BoxRun run(answering);
        EXPECT_EQ(run.show(L"Could Not Update Server Settings!"), IDOK);
        ASSERT_EQ(run.seen().size(), 1u);
        EXPECT_EQ(run.seen()[0].title, kTitle);
        EXPECT_EQ(run.seen()[0].text, L"Could Not Update Server Settings!");
        EXPECT_EQ(run.look().fired && run.look().boxOpen, !answering) << answering;
    }
}

}  // namespace
}  // namespace kora::test
