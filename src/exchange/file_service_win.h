// The file-system service over wide-character Win32 calls. Paths arrive as
// UTF-8 with "\" separators and are used as given (no normalisation).
// Failures raise the run-time numbers the host's file statements raise:
// 76 path not found, 53 file not found, 75 path/file access error.
#pragma once

#include "base/services.h"

namespace kora::win {

class Win32FileService final : public FileService {
public:
    bool folderExists(const std::string& path) override;
    void createFolder(const std::string& path) override;
    bool fileExists(const std::string& path) override;
    void deleteFile(const std::string& path) override;
    void createTextFile(const std::string& path) override;
    std::optional<uint64_t> fileSize(const std::string& path) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void moveFile(const std::string& from, const std::string& to) override;
};

}  // namespace kora::win
