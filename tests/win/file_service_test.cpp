// The file-system service on real files: UTF-8 paths, the run-time numbers of
// its failures, empty replacing text files, paths beyond MAX_PATH and the one
// conversion that makes them openable.
#include "com_support.h"
#include "errors/failure.h"
#include "exchange/file_service_win.h"
#include "base/module_path_win.h"
#include "base/text_win.h"
#include "stand_in_win.h"

namespace kora::test {
namespace {

class FileService : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        base = win::narrow(temp) + "kora-files-\xC3\xA4" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(win::widen(base).c_str(), nullptr));
    }
    // Removes the test's own folder and nothing else (see suite::removeTree).
    void TearDown() override { suite::removeTree(L"\\\\?\\" + win::widen(base)); }
    int32_t numberOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const RunError& e) {
            return e.failure().number;
        }
        return 0;
    }

    win::Win32FileService files;
    std::string base;
};

TEST_F(FileService, CreatesOneFolderLevelAndTellsFoldersFromFiles) {
    const std::string folder = base + "\\RCData";
    EXPECT_FALSE(files.folderExists(folder));
    files.createFolder(folder);
    EXPECT_TRUE(files.folderExists(folder));
    EXPECT_FALSE(files.fileExists(folder));
    EXPECT_EQ(numberOf([&] { files.createFolder(base + "\\missing\\RCData"); }), 76);
    EXPECT_EQ(numberOf([&] { files.createFolder(folder); }), 75);
}

TEST_F(FileService, CreateTextFileReplacesAnyContentsWithAnEmptyFile) {
    const std::string file = base + "\\reply_zelKORA_GetSettingsRem.txt";
    ASSERT_TRUE(suite::replaceFile(win::widen(file), "old answer"));
    EXPECT_EQ(files.fileSize(file), std::optional<uint64_t>(10));
    files.createTextFile(file);
    EXPECT_TRUE(files.fileExists(file));
    EXPECT_EQ(files.fileSize(file), std::optional<uint64_t>(0));
    EXPECT_EQ(files.fileSize(base), std::nullopt);
    EXPECT_EQ(numberOf([&] { files.createTextFile(base + "\\missing\\x.txt"); }), 76);
}

TEST_F(FileService, DeletesFilesAndNamesAMissingOne53) {
    const std::string file = base + "\\gone.txt";
    files.createTextFile(file);
    files.deleteFile(file);
    EXPECT_FALSE(files.fileExists(file));
    EXPECT_EQ(numberOf([&] { files.deleteFile(file); }), 53);
    EXPECT_EQ(numberOf([&] { files.deleteFile(base + "\\missing\\gone.txt"); }), 76);
}

TEST_F(FileService, WorksBeyondMaxPath) {
    std::string folder = base;
    while (folder.size() < 300) {
        folder += "\\a-rather-long-folder-name-\xE2\x82\xAC";
        files.createFolder(folder);
        ASSERT_TRUE(files.folderExists(folder)) << folder.size();
    }
    const std::string file = folder + "\\reply.txt";
    files.createTextFile(file);
    EXPECT_TRUE(files.fileExists(file));
    files.deleteFile(file);
    EXPECT_FALSE(files.fileExists(file));
}

// Counted in UTF-16 units, as the file functions count.
TEST(OpenablePath, FullPathsOf248UnitsOrMoreTakeTheLongForm) {
    const auto units = [](size_t n, const std::string& unit = "d") {
        std::string text;
        for (size_t i = 0; i < n; ++i) text += unit;
        return text;
    };
    const std::string euro = "\xE2\x82\xAC";
    struct Case {
        std::string path;
        std::wstring openable;
    };
    const Case cases[] = {
        {"C:\\Suite\\imgs\\butup.gif", L"C:\\Suite\\imgs\\butup.gif"},
        {"C:\\" + units(244), L"C:\\" + win::widen(units(244))},
        {"C:\\" + units(245), L"\\\\?\\C:\\" + win::widen(units(245))},
        {"C:\\" + units(245, euro), L"\\\\?\\C:\\" + win::widen(units(245, euro))},
        {"C:/" + units(120) + "/" + units(130), L"\\\\?\\C:\\" + win::widen(units(120) + "\\" + units(130))},
        {"\\\\server\\share\\" + units(240), L"\\\\?\\UNC\\server\\share\\" + win::widen(units(240))},
        {"profiles\\" + units(250), win::widen("profiles\\" + units(250))},
        {"\\\\?\\C:\\" + units(250), win::widen("\\\\?\\C:\\" + units(250))},
        {"\\\\.\\pipe\\" + units(250), win::widen("\\\\.\\pipe\\" + units(250))},
    };
    for (const Case& c : cases) EXPECT_EQ(win::openablePath(c.path), c.openable) << c.path;
}

}  // namespace
}  // namespace kora::test
