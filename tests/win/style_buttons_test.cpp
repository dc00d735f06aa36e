// The image buttons on a frame of the test's own, with face files written
// into a BasePath of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../contract/form_contract.h"
#include "base/text_win.h"
#include "errors/module.h"
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
        frame_ = CreateWindowExW(0, L"BUTTON", L"Options", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 16, 328, 337, 57,
                                 testTopWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(frame_, nullptr);
    }
    void TearDown() override {
        buttons_.reset();
        DestroyWindow(frame_);
        pumpMessages();
        for (const char* f : {"butup.gif", "butdown.gif"}) DeleteFileW(win::widen(base_ + "\\imgs\\" + f).c_str());
        RemoveDirectoryW(win::widen(base_ + "\\imgs").c_str());
        RemoveDirectoryW(win::widen(base_).c_str());
        EXPECT_EQ(GetWindow(testTopWindow(), GW_CHILD), nullptr) << "a test left a window behind";
    }

    void writeFace(const char* file, COLORREF colour) { writeFile(base_ + "\\imgs\\" + file, solidGif(colour)); }

    ButtonActions recordingActions() {
        auto record = [this](const char* name) {
            return [this, name](int button) {
                released_.push_back({name, button, buttons() ? buttons()->faceOf(std::string(name) + "Img") : ""});
            };
        };
        return {record("cmdUpdate"), record("cmdSave"), record("cmdLoad")};
    }

    void createForm() {
        buttons_ = createFormButtons(*module_, frame_, 96, recordingActions());
        pumpMessages();
    }
    ImageButtons* buttons() const { return dynamic_cast<ImageButtons*>(buttons_.get()); }
    HWND control(const char* name) const { return buttons_ ? findButtonControl(*buttons_, name) : nullptr; }
    std::string face(const char* file) const { return base_ + "\\imgs\\" + file; }
    // The colour a picture shows away from its caption.
    COLORREF faceColour(const char* picture) const { return pixelOf(control(picture), 40, 4); }
    POINT captionAt(const char* caption) const {
        RECT r = rectInParent(control(caption));
        return {r.left, r.top};
    }
    static void send(HWND hwnd, UINT message, WPARAM keys) {
        SendMessageW(hwnd, message, keys, MAKELPARAM(10, 10));
        pumpMessages();
    }

    std::string base_;
    std::shared_ptr<RecordingBoxes> boxes_;
    std::unique_ptr<Module> module_;
    HWND frame_ = nullptr;
    std::unique_ptr<ButtonSet> buttons_;
    std::vector<Released> released_;
};

std::vector<HWND> childrenTopFirst(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

TEST_F(ImageButtonsTest, EitherFaceFileMissingCreatesNoButtonAtAll) {
    for (const char* missing : {"butdown.gif", "butup.gif"}) {
        SCOPED_TRACE(missing);
        writeFace("butup.gif", kUpColour);
        writeFace("butdown.gif", kDownColour);
        DeleteFileW(win::widen(face(missing)).c_str());
        createForm();
        EXPECT_EQ(buttons_, nullptr);
        EXPECT_TRUE(childrenTopFirst(frame_).empty());
        EXPECT_TRUE(boxes_->shown.empty());
    }
}

TEST_F(ImageButtonsTest, FormButtonsArePicturesUnderCaptionsWithTheFormsGeometry) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    // Pictures first, then captions, each brought to the front when made.
    const std::vector<HWND> expected{control("cmdLoad"),    control("cmdSave"),    control("cmdUpdate"),
                                     control("cmdLoadImg"), control("cmdSaveImg"), control("cmdUpdateImg")};
    EXPECT_EQ(childrenTopFirst(frame_), expected);

    // 15 twips per pixel: pictures at 360/1920/3480, 300 twips, 1215 x 495.
    const int lefts[] = {24, 128, 232};
    const char* pictures[] = {"cmdUpdateImg", "cmdSaveImg", "cmdLoadImg"};
    const char* captions[] = {"cmdUpdate", "cmdSave", "cmdLoad"};
    const wchar_t* texts[] = {L"Update", L"Save", L"Load"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(captions[i]);
        RECT p = rectInParent(control(pictures[i]));
        EXPECT_EQ(p.left, lefts[i]);
        EXPECT_EQ(p.top, 20);
        EXPECT_EQ(p.right - p.left, 81);
        EXPECT_EQ(p.bottom - p.top, 33);
        RECT c = rectInParent(control(captions[i]));
        EXPECT_EQ(c.left, lefts[i] + 5);  // 75 twips in
        EXPECT_EQ(c.top, 29);             // 428 twips
        EXPECT_EQ(c.right - c.left, 71);  // 1215 - 150 twips
        EXPECT_EQ(c.bottom - c.top, 33);
        wchar_t text[16]{};
        GetWindowTextW(control(captions[i]), text, 16);
        EXPECT_STREQ(text, texts[i]);
        EXPECT_TRUE(IsWindowVisible(control(captions[i])));
        EXPECT_TRUE(IsWindowEnabled(control(pictures[i])));
        EXPECT_EQ(buttons()->faceOf(pictures[i]), face("butup.gif"));
        EXPECT_EQ(faceColour(pictures[i]), kUpColour);
    }
}

TEST_F(ImageButtonsTest, CaptionIsEightPointTahomaOverATransparentBackground) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    HWND caption = control("cmdUpdate");
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(caption, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(buttons()->fontSizeOf("cmdUpdate"), 8);
    // Over the picture the caption shows the face; below it, the frame.
    EXPECT_EQ(pixelOf(caption, 2, 2), kUpColour);
    EXPECT_EQ(pixelOf(caption, 68, 20), kUpColour);
    EXPECT_NE(pixelOf(caption, 2, 26), kUpColour);
    // Its text is drawn.
    int dark = 0;
    for (int x = 0; x < 71; ++x)
        for (int y = 0; y < 16; ++y)
            if (pixelOf(caption, x, y) == RGB(0, 0, 0)) ++dark;
    EXPECT_GT(dark, 10);
}

// A container that paints only on screen, as most custom frames do.
LRESULT CALLBACK magentaFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(ImageButtonsTest, ContainerShowsThroughBesideTheFacesWithoutPaintingIntoTheCaption) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = magentaFrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KoraStyleTestFrame";
    RegisterClassW(&wc);
    HWND frame = CreateWindowExW(0, L"KoraStyleTestFrame", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 16, 200, 337,
                                 80, testTopWindow(), nullptr, GetModuleHandleW(nullptr), nullptr);
    buttons_ = createFormButtons(*module_, frame, 96, {});
    ASSERT_NE(buttons_, nullptr);
    pumpMessages();
    // Frame (31, 58) lies in cmdUpdate's rectangle, below its picture.
    EXPECT_EQ(pixelOf(frame, 31, 58), RGB(255, 0, 255));
    EXPECT_EQ(pixelOf(frame, 31, 30), kUpColour);
    send(control("cmdUpdate"), WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(pixelOf(frame, 31, 58), RGB(255, 0, 255));
    EXPECT_EQ(pixelOf(frame, 31, 34), kDownColour);
    send(control("cmdUpdate"), WM_LBUTTONUP, 0);
    buttons_.reset();
    DestroyWindow(frame);
    UnregisterClassW(L"KoraStyleTestFrame", GetModuleHandleW(nullptr));
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
        HWND pressed = control(c.pressed);
        send(pressed, WM_LBUTTONDOWN, MK_LBUTTON);
        EXPECT_EQ(buttons()->faceOf(c.picture), face("butdown.gif"));
        EXPECT_EQ(faceColour(c.picture), kDownColour);
        EXPECT_EQ(pixelOf(control(c.caption), 2, 2), kDownColour);
        EXPECT_EQ(captionAt(c.caption).x, c.downX);
        EXPECT_EQ(GetCapture(), pressed);
        EXPECT_TRUE(released_.empty());
        // Nothing of the caption's old place lingers below the picture.
        for (int y = 53; y < 57; ++y) {
            EXPECT_NE(pixelOf(frame_, c.upX + 2, y), kUpColour) << y;
            EXPECT_NE(pixelOf(frame_, c.upX + 2, y), kDownColour) << y;
        }
        // Only the pressed caption moves, to 478 twips.
        for (const char* other : {"cmdUpdate", "cmdSave", "cmdLoad"})
            EXPECT_EQ(captionAt(other).y, std::string(other) == c.caption ? 32 : 29) << other;

        send(pressed, WM_LBUTTONUP, 0);
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
}

TEST_F(ImageButtonsTest, RightButtonShowsNoPressedFaceButItsReleaseRunsTheAction) {
    createForm();
    ASSERT_NE(buttons_, nullptr);
    HWND picture = control("cmdUpdateImg");
    send(picture, WM_RBUTTONDOWN, MK_RBUTTON);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kUpColour);
    EXPECT_EQ(captionAt("cmdUpdate").y, 29);
    send(picture, WM_RBUTTONUP, 0);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kUpColour);
    ASSERT_EQ(released_.size(), 1u);
    EXPECT_EQ(released_[0].button, 2);

    // A right release while the left button holds the button down leaves it pressed.
    HWND caption = control("cmdUpdate");
    send(caption, WM_LBUTTONDOWN, MK_LBUTTON);
    send(caption, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON);
    send(caption, WM_RBUTTONUP, MK_LBUTTON);
    EXPECT_EQ(faceColour("cmdUpdateImg"), kDownColour);
    EXPECT_EQ(captionAt("cmdUpdate").y, 32);
    EXPECT_EQ(GetCapture(), caption);
    ASSERT_EQ(released_.size(), 2u);
    EXPECT_EQ(released_[1].button, 2);
    EXPECT_EQ(released_[1].faceDuringAction, face("butdown.gif"));
    send(caption, WM_LBUTTONUP, 0);
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
    send(control("cmdLoadImg"), WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(faceColour("cmdLoadImg"), RGB(200, 0, 0));
    send(control("cmdLoadImg"), WM_LBUTTONUP, 0);
    // A face gone since keeps the one shown, and the caption still moves.
    DeleteFileW(win::widen(face("butdown.gif")).c_str());
    send(control("cmdLoadImg"), WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(faceColour("cmdLoadImg"), kUpColour);
    EXPECT_EQ(captionAt("cmdLoad").y, 32);
    send(control("cmdLoadImg"), WM_LBUTTONUP, 0);
    EXPECT_EQ(released_.size(), 2u);
    EXPECT_TRUE(boxes_->shown.empty());
}

TEST_F(ImageButtonsTest, AFaceThatIsNoPictureIsReportedAndLeavesNoHalfButton) {
    writeFile(face("butup.gif"), "not a picture");
    createForm();
    ASSERT_NE(buttons_, nullptr);
    EXPECT_TRUE(childrenTopFirst(frame_).empty());
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
    buttons_ = createFormButtons(module, frame_, 96, recordingActions());
    ASSERT_NE(buttons_, nullptr);
    EXPECT_EQ(childrenTopFirst(frame_).size(), 6u);
    EXPECT_EQ(buttons()->faceOf("cmdUpdateImg"), "");
    EXPECT_EQ(captionAt("cmdUpdate").y, 29);
    EXPECT_TRUE(boxes_->shown.empty());
    buttons_.reset();
}

TEST_F(ImageButtonsTest, CaptionFontSizeAndItsPlace) {
    ImageButtons set(*module_, testTopWindow(), 96, {});
    ButtonArgs picture{1215, 495, 360, 300, "", true, true, "cmdUpdateImg", frame_, 0};
    ASSERT_NE(set.createButton(picture), nullptr);
    ButtonArgs caption{0, 0, 0, 0, "Update", true, true, "cmdUpdate", frame_, 12};
    HWND twelve = set.createButtonTxt(caption);
    ASSERT_NE(twelve, nullptr);
    EXPECT_EQ(set.fontSizeOf("cmdUpdate"), 12);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(twelve, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(rectInParent(twelve).top, 25);  // 368 twips
    set.setState("cmdUpdateImg", "Down");
    EXPECT_EQ(rectInParent(twelve).top, 28);  // 418 twips

    ButtonArgs small{1215, 495, 1920, 300, "", true, true, "cmdSaveImg", frame_, 0};
    ASSERT_NE(set.createButton(small), nullptr);
    ButtonArgs negative{0, 0, 0, 0, "Save", false, true, "cmdSave", frame_, -4};
    HWND eight = set.createButtonTxt(negative);
    EXPECT_EQ(set.fontSizeOf("cmdSave"), 8);
    EXPECT_FALSE(IsWindowEnabled(eight));
    EXPECT_TRUE(boxes_->shown.empty());
}

TEST_F(ImageButtonsTest, WithoutAContainerTheButtonGoesOnTheForm) {
    ImageButtons set(*module_, testTopWindow(), 96, {});
    HWND picture = set.createButton({1215, 495, 360, 300, "", true, false, "cmdUpdateImg", nullptr, 0});
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(GetParent(picture), testTopWindow());
    EXPECT_FALSE(IsWindowVisible(picture));
}

TEST_F(ImageButtonsTest, AnActionMayEndTheButtonsItCameFrom) {
    ButtonActions actions;
    actions.load = [this](int) { buttons_.reset(); };
    buttons_ = createFormButtons(*module_, frame_, 96, std::move(actions));
    ASSERT_NE(buttons_, nullptr);
    HWND picture = findButtonControl(*buttons_, "cmdLoadImg");
    send(picture, WM_LBUTTONDOWN, MK_LBUTTON);
    send(picture, WM_LBUTTONUP, 0);
    EXPECT_EQ(buttons_, nullptr);
    EXPECT_FALSE(IsWindow(picture));
    EXPECT_TRUE(childrenTopFirst(frame_).empty());
}

}  // namespace
}  // namespace kora::style
