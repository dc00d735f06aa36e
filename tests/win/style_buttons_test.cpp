// The image buttons on a container of the test's own, which paints them and
// hands them its mouse messages as Frame3 does, with face files written into a
// BasePath of the test's own; and the picture loader's failures.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../contract/form_contract.h"
#include "base/text_win.h"
#include "errors/module.h"
#include "errors/failure.h"
#include "exchange/file_service_win.h"
#include "style/style_win.h"
#include "style_support.h"

namespace kora::style {
namespace {

using namespace kora::testing;
using contract::RecordingBoxes;

constexpr COLORREF kUpColour = RGB(0, 160, 0);
constexpr COLORREF kDownColour = RGB(0, 0, 200);

// A one-pixel GIF of one colour; stretched, it makes a face of that colour.
std::string solidGif(COLORREF c) {
    std::string gif = "GIF89a";
    gif += std::string("\x01\x00\x01\x00\x80\x00\x00", 7);
    gif += static_cast<char>(GetRValue(c));
    gif += static_cast<char>(GetGValue(c));
    gif += static_cast<char>(GetBValue(c));
    gif += std::string("\x00\x00\x00", 3);
    gif += std::string("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);
    gif += std::string("\x02\x02\x44\x01\x00\x3b", 6);
    return gif;
}

void writeFile(const std::string& utf8Path, const std::string& bytes) {
    HANDLE file = CreateFileW(win::widen(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << utf8Path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

constexpr COLORREF kContainerColour = RGB(255, 0, 255);
ImageButtons* g_buttons = nullptr;

LRESULT CALLBACK containerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(kContainerColour);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        if (g_buttons) g_buttons->paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    if (g_buttons && g_buttons->mouse(message, wParam, lParam)) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Released {
    std::string action;
    int button;
    std::string faceDuringAction;
};

class ImageButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        base_ =
            win::narrow(temp) + "kora_style_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
        CreateDirectoryW(win::widen(base_).c_str(), nullptr);
        CreateDirectoryW(win::widen(base_ + "\\imgs").c_str(), nullptr);
        writeFace("butup.gif", kUpColour);
        writeFace("butdown.gif", kDownColour);

        boxes_ = std::make_shared<RecordingBoxes>();
        module_ =
            std::make_unique<Module>(Module::Services{std::make_shared<win::Win32FileService>(), boxes_, nullptr, {}});
        module_->state.basePath = base_;
        WNDCLASSW wc{};
        wc.lpfnWndProc = containerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KoraStyleTestContainer";
        RegisterClassW(&wc);
        frame_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 16, 328, 337, 57, testTopWindow(),
                                 nullptr, wc.hInstance, nullptr);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        setButtons(nullptr);
        DestroyWindow(frame_);
        UnregisterClassW(L"KoraStyleTestContainer", GetModuleHandleW(nullptr));
        pumpMessages();
        for (const char* f : {"butup.gif", "butdown.gif"}) DeleteFileW(win::widen(base_ + "\\imgs\\" + f).c_str());
        RemoveDirectoryW(win::widen(base_ + "\\imgs").c_str());
        RemoveDirectoryW(win::widen(base_).c_str());
    }

    void writeFace(const char* file, COLORREF colour) { writeFile(base_ + "\\imgs\\" + file, solidGif(colour)); }

    ButtonActions recordingActions() {
        auto record = [this](const char* name) {
            return [this, name](int button) {
                released_.push_back({name, button, buttons_ ? buttons_->faceOf(std::string(name) + "Img") : ""});
            };
        };
        return {record("cmdUpdate"), record("cmdSave"), record("cmdLoad")};
    }
    void setButtons(std::unique_ptr<ImageButtons> buttons) {
        buttons_ = std::move(buttons);
        g_buttons = buttons_.get();
        InvalidateRect(frame_, nullptr, FALSE);
        pumpMessages();
    }
    void createForm(Module& module) { setButtons(ImageButtons::create(module, frame_, 96, recordingActions())); }
    void createForm() { createForm(*module_); }

    RECT area(const char* name) const { return buttons_->area(name).value_or(RECT{}); }
    std::string face(const char* file) const { return base_ + "\\imgs\\" + file; }
    // The colour a picture shows away from its caption.
    COLORREF faceColour(const char* picture) const {
        const RECT r = area(picture);
        return pixelOf(frame_, r.left + 40, r.top + 4);
    }
    POINT captionAt(const char* caption) const {
        const RECT r = area(caption);
        return {r.left, r.top};
    }
    // A mouse message at the centre of a picture or caption.
    void send(const char* at, UINT message, WPARAM keys) {
        const RECT r = area(at);
        SendMessageW(frame_, message, keys, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        pumpMessages();
    }

    std::string base_;
    std::shared_ptr<RecordingBoxes> boxes_;
    std::unique_ptr<Module> module_;
    HWND frame_ = nullptr;
    std::unique_ptr<ImageButtons> buttons_;
    std::vector<Released> released_;
};

TEST_F(ImageButtonsTest, EitherFaceFileMissingCreatesNoButtonAtAll) {
    for (const char* missing : {"butdown.gif", "butup.gif"}) {
        SCOPED_TRACE(missing);
        writeFace("butup.gif", kUpColour);
        writeFace("butdown.gif", kDownColour);
        DeleteFileW(win::widen(face(missing)).c_str());
        createForm();
        EXPECT_EQ(buttons_, nullptr);
        EXPECT_TRUE(boxes_->shown.empty());
    }
}

// Where the pictures and captions sit is the geometry's unit test; here the
// real buttons show their faces and captions where it puts them.
TEST_F(ImageButtonsTest, FacesAndCaptionsAreDrawnWhereTheGeometryPutsThem) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    const char* pictures[] = {"cmdUpdateImg", "cmdSaveImg", "cmdLoadImg"};
    const char* captions[] = {"cmdUpdate", "cmdSave", "cmdLoad"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(captions[i]);
        const RECT p = area(pictures[i]), c = area(captions[i]);
        EXPECT_EQ(c.left, p.left + 5);
        EXPECT_GT(c.top, p.top);
        EXPECT_EQ(buttons_->faceOf(pictures[i]), face("butup.gif"));
        EXPECT_EQ(faceColour(pictures[i]), kUpColour);
        // Below the picture, inside the caption, the container shows.
        EXPECT_EQ(pixelOf(frame_, c.left + 2, p.bottom + 1), kContainerColour);
        // The caption's text is drawn on the face.
        int dark = 0;
        for (int x = c.left; x < c.right; ++x)
            for (int y = c.top; y < c.top + 16; ++y)
                if (pixelOf(frame_, x, y) == RGB(0, 0, 0)) ++dark;
        EXPECT_GT(dark, 10);
    }
}

TEST_F(ImageButtonsTest, LeftPressOnPictureOrCaptionSwapsFacesMovesTheCaptionAndReleaseRunsTheAction) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    struct Case {
        const char *pressed, *picture, *caption;
        int upX, downX;  // 75 twips into the picture when up, 95 when down
    };
    const Case cases[] = {{"cmdUpdateImg", "cmdUpdateImg", "cmdUpdate", 29, 30},
                          {"cmdSave", "cmdSaveImg", "cmdSave", 133, 134},
                          {"cmdLoadImg", "cmdLoadImg", "cmdLoad", 237, 238}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressed);
        send(c.pressed, WM_LBUTTONDOWN, MK_LBUTTON);
        EXPECT_EQ(buttons_->faceOf(c.picture), face("butdown.gif"));
        EXPECT_EQ(faceColour(c.picture), kDownColour);
        EXPECT_EQ(captionAt(c.caption).x, c.downX);
        EXPECT_EQ(GetCapture(), frame_);
        EXPECT_TRUE(released_.empty());
        // Only the pressed caption moves, to 478 twips.
        for (const char* other : {"cmdUpdate", "cmdSave", "cmdLoad"})
            EXPECT_EQ(captionAt(other).y, std::string(other) == c.caption ? 32 : 29) << other;

        // Released anywhere: the button keeps the mouse until then.
        SendMessageW(frame_, WM_LBUTTONUP, 0, MAKELPARAM(330, 2));
        pumpMessages();
        EXPECT_EQ(faceColour(c.picture), kUpColour);
        EXPECT_EQ(captionAt(c.caption).x, c.upX);
        EXPECT_EQ(captionAt(c.caption).y, 29);
        EXPECT_EQ(GetCapture(), nullptr);
        ASSERT_EQ(released_.size(), 1u);
        EXPECT_EQ(released_[0].action, c.caption);
        EXPECT_EQ(released_[0].button, 1);
        // The face is released before the action runs.
        EXPECT_EQ(released_[0].faceDuringAction, face("butup.gif"));
        released_.clear();
    }
    // A press beside the buttons is none of theirs.
    EXPECT_FALSE(buttons_->mouse(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(330, 2)));
}

TEST_F(ImageButtonsTest, RightButtonShowsNoPressedFaceButItsReleaseRunsTheAction) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    send("cmdUpdateImg", WM_RBUTTONDOWN, MK_RBUTTON);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kUpColour);
    EXPECT_EQ(captionAt("cmdUpdate").y, 29);
    send("cmdUpdateImg", WM_RBUTTONUP, 0);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kUpColour);
    ASSERT_EQ(released_.size(), 1u);
    EXPECT_EQ(released_[0].button, 2);

    // A right release while the left button holds the button down leaves it pressed.
    send("cmdUpdate", WM_LBUTTONDOWN, MK_LBUTTON);
    send("cmdSave", WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON);
    send("cmdSave", WM_RBUTTONUP, MK_LBUTTON);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kDownColour);
    EXPECT_EQ(captionAt("cmdUpdate").y, 32);
    EXPECT_EQ(GetCapture(), frame_);
    ASSERT_EQ(released_.size(), 2u);
    EXPECT_EQ(released_[1].action, "cmdUpdate");
    EXPECT_EQ(released_[1].faceDuringAction, face("butdown.gif"));
    send("cmdUpdate", WM_LBUTTONUP, 0);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kUpColour);
    EXPECT_EQ(released_.size(), 3u);
}

TEST_F(ImageButtonsTest, OnlyExactlyDownShowsThePressedFace) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    for (const char* state : {"down", "", "DOWN", "Down ", "Up"}) {
        SCOPED_TRACE(state);
        buttons_->setState("cmdUpdateImg", "Down");
        ASSERT_EQ(faceColour("cmdUpdateImg"), kDownColour);
        buttons_->setState("cmdUpdateImg", state);
        EXPECT_EQ(faceColour("cmdUpdateImg"), kUpColour);
        EXPECT_EQ(captionAt("cmdUpdate").y, 29);
        EXPECT_EQ(captionAt("cmdUpdate").x, 29);
    }
    buttons_->setState("cmdUpdateImg", "Down");
    EXPECT_EQ(captionAt("cmdUpdate").y, 32);
    // Names that match nothing change nothing.
    buttons_->setState("cmdUpdate", "Up");
    buttons_->setState("Im", "Up");
    EXPECT_EQ(faceColour("cmdUpdateImg"), kDownColour);
}

TEST_F(ImageButtonsTest, FacesAreReadFromDiskEachTimeOneIsShown) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    writeFace("butdown.gif", RGB(200, 0, 0));
    send("cmdLoadImg", WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(faceColour("cmdLoadImg"), RGB(200, 0, 0));
    send("cmdLoadImg", WM_LBUTTONUP, 0);
    // A face gone since keeps the one shown, and the caption still moves.
    DeleteFileW(win::widen(face("butdown.gif")).c_str());
    send("cmdLoadImg", WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(faceColour("cmdLoadImg"), kUpColour);
    EXPECT_EQ(captionAt("cmdLoad").y, 32);
    send("cmdLoadImg", WM_LBUTTONUP, 0);
    EXPECT_EQ(released_.size(), 2u);
    EXPECT_TRUE(boxes_->shown.empty());
}

TEST_F(ImageButtonsTest, AFaceThatIsNoPictureIsReportedAndLeavesNoHalfButton) {
    writeFile(face("butup.gif"), "not a picture");
    createForm();
    ASSERT_NE(buttons_, nullptr);
    for (const char* name : {"cmdUpdateImg", "cmdUpdate", "cmdLoad"}) EXPECT_FALSE(buttons_->area(name)) << name;
    // Three pictures fail to load, then three captions find no picture.
    ASSERT_EQ(boxes_->shown.size(), 6u);
    EXPECT_EQ(boxes_->shown[0].first, "DLL Error!");
    EXPECT_NE(boxes_->shown[0].second.find("Error 481: Invalid picture"), std::string::npos);
    EXPECT_NE(boxes_->shown[0].second.find("Function/Sub: CreateButton"), std::string::npos);
    EXPECT_NE(boxes_->shown[3].second.find("Error 730: Control 'cmdUpdateImg' not found"), std::string::npos);
    EXPECT_NE(boxes_->shown[3].second.find("Function/Sub: CreateButtonTxt"), std::string::npos);
}

// Files that the file service reports present in a folder that is not there:
// reading a face then fails with 76, which both routines pass over.
class PresentEverywhere final : public FileService {
public:
    bool folderExists(const std::string&) override { return true; }
    void createFolder(const std::string&) override {}
    bool fileExists(const std::string&) override { return true; }
    void deleteFile(const std::string&) override {}
    void createTextFile(const std::string&) override {}
    std::optional<uint64_t> fileSize(const std::string&) override { return std::nullopt; }
    void copyFile(const std::string&, const std::string&) override { raise(err::PathFileAccess); }
    void moveFile(const std::string&, const std::string&) override { raise(err::PathFileAccess); }
};

TEST_F(ImageButtonsTest, PathNotFoundWhileReadingAFaceIsPassedOver) {
    Module module(Module::Services{std::make_shared<PresentEverywhere>(), boxes_, nullptr, {}});
    module.state.basePath = base_ + "\\no such folder";
    createForm(module);
    ASSERT_NE(buttons_, nullptr);
    EXPECT_EQ(buttons_->faceOf("cmdUpdateImg"), "");
    EXPECT_EQ(captionAt("cmdUpdate").y, 29);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kContainerColour);
    EXPECT_TRUE(boxes_->shown.empty());
    setButtons(nullptr);
}

TEST_F(ImageButtonsTest, AnActionMayEndTheButtonsItCameFrom) {
    ButtonActions actions;
    actions.load = [this](int) { setButtons(nullptr); };
    setButtons(ImageButtons::create(*module_, frame_, 96, std::move(actions)));
    ASSERT_NE(buttons_, nullptr);
    send("cmdLoadImg", WM_LBUTTONDOWN, MK_LBUTTON);
    SendMessageW(frame_, WM_LBUTTONUP, 0, MAKELPARAM(250, 30));
    EXPECT_EQ(buttons_, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(LoadPicture, MissingFileAndFolderRaiseTheirNumbers) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string base = temp;
    auto numberOf = [](const std::string& path) {
        try {
            loadPicture(path, 0);
        } catch (const RunError& e) {
            return e.failure().number;
        }
        return 0;
    };
    EXPECT_EQ(numberOf(base + "kora_no_such_face.gif"), 53);
    EXPECT_EQ(numberOf(base + "kora_no_such_folder\\face.gif"), 76);
}

}  // namespace
}  // namespace kora::style
