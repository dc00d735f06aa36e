# Windows layer, cross-built with MinGW-w64: x86-64 (run under Wine) and i686
# (build and link only). Sources are found by convention, so adding a file
# needs no edit here:
#   src/*/*_win.cpp          -> zelrcKORA.dll (with src/plugin/zelrcKORA.idl, .rc, .def)
#   suite/utility/*.cpp      -> zelrcUTK.dll   (stand-in utility component)
#   suite/codec/*.cpp        -> zelrcCDX.dll   (stand-in encoding component)
#   suite/host/*.cpp         -> korastand-host.exe
#   suite/winlib/*.cpp       -> kora_suite_win (shared Windows helpers of the stand-ins)
#   tests/win/*.cpp          -> kora_win_tests.exe (GoogleTest, run under Wine)
set(KORA_WIN_FLAGS -municode -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601)
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601)
set(KORA_STATIC_LINK -static -static-libgcc -static-libstdc++)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KORA_WIDL ${KORA_MINGW_TRIPLE}-widl --win32)
else()
  set(KORA_WIDL ${KORA_MINGW_TRIPLE}-widl --win64)
endif()
set(KORA_WIDL_INCLUDES -I/usr/include/wine/wine/windows -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)

include(cmake/windows_targets.cmake OPTIONAL)
