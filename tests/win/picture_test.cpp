// The picture loader.
#include <windows.h>

#include <gtest/gtest.h>

#include "errors/failure.h"
#include "style/face_image_win.h"

namespace kora::style {
namespace {

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
