#pragma once

#include <string>
#include <string_view>

#include <windows.h>

namespace kora::win {

// The module (DLL or program) that holds this code.
HINSTANCE codeModule() noexcept;

// The full path of a module (null: the process's executable), however long:
// the buffer grows until the path fits, so paths beyond MAX_PATH come whole.
std::wstring moduleFileName(HMODULE module);

// A path of the plug-in (UTF-8, "\" separators, most below BasePath) as the
// file functions open it, used for every file the plug-in touches or names to
// a component. A full path (drive or UNC) of 248 UTF-16 units or more takes the
// long-path form ("\\?\C:\..." or "\\?\UNC\server\share\..."): the file
// functions refuse such paths otherwise (248 leaves room for the 8.3 name a
// folder must take). The long form goes to the file system as given, so "/"
// becomes "\" in it. Shorter, relative and long-form paths stay as they are.
std::wstring openablePath(std::string_view path);

}  // namespace kora::win
