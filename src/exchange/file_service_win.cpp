#include "exchange/file_service_win.h"

#include "base/module_path_win.h"
#include "base/raii_win.h"
#include "errors/failure.h"

namespace kora::win {
namespace {

DWORD attributes(const std::string& path) { return GetFileAttributesW(openablePath(path).c_str()); }

// A missing folder on the way is 76; a missing file is `fileMissing`;
// anything else (exists already, denied, in use) is 75.
[[noreturn]] void raiseFor(DWORD error, int32_t fileMissing,
                           std::source_location where = std::source_location::current()) {
    switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: raise(err::PathNotFound, {}, where);
    case ERROR_FILE_NOT_FOUND: raise(fileMissing, {}, where);
    default: raise(err::PathFileAccess, {}, where);
    }
}

}  // namespace

bool Win32FileService::folderExists(const std::string& path) {
    const DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileService::createFolder(const std::string& path) {
    if (!CreateDirectoryW(openablePath(path).c_str(), nullptr)) raiseFor(GetLastError(), err::PathNotFound);
}

bool Win32FileService::fileExists(const std::string& path) {
    const DWORD a = attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void Win32FileService::deleteFile(const std::string& path) {
    if (!DeleteFileW(openablePath(path).c_str())) raiseFor(GetLastError(), err::FileNotFound);
}

void Win32FileService::createTextFile(const std::string& path) {
    FileHandle file(CreateFileW(openablePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) raiseFor(GetLastError(), err::PathNotFound);
}

std::optional<uint64_t> Win32FileService::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(openablePath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Win32FileService::copyFile(const std::string& from, const std::string& to) {
    if (!CopyFileW(openablePath(from).c_str(), openablePath(to).c_str(), FALSE))
        raiseFor(GetLastError(), err::FileNotFound);
}

void Win32FileService::moveFile(const std::string& from, const std::string& to) {
    if (!MoveFileExW(openablePath(from).c_str(), openablePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        raiseFor(GetLastError(), err::FileNotFound);
}

}  // namespace kora::win
