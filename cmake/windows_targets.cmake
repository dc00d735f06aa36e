# Targets of the Windows layer (included by cmake/windows.cmake, which sets
# the flags, KORA_WIDL and KORA_WIDL_INCLUDES). Layout of the build:
#   generated/          zelrcKORA.tlb, zelrcKORA_h.h, zelrcKORA_i.c (widl)
#   demo/               korastand-host.exe, zelrcUTK.dll, zelrcCDX.dll
#   demo/Plugins/       zelrcKORA.dll
#   kora_win_tests.exe  GoogleTest, run by CTest under Wine (both builds)
set(KORA_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(KORA_DEMO ${CMAKE_BINARY_DIR}/demo)
set(KORA_WIN_LIBS ole32 oleaut32 uuid user32 gdi32 comctl32 comdlg32 shell32 shlwapi msimg32)
# The .def files name the Dll* exports undecorated; on i686 they are __stdcall
# (DllGetClassObject@12), which the linker is told to match.
set(KORA_DLL_LINK ${KORA_STATIC_LINK})
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND KORA_DLL_LINK -Wl,--enable-stdcall-fixup)
endif()

# --- Type library -----------------------------------------------------------
set(KORA_IDL ${CMAKE_SOURCE_DIR}/src/plugin/zelrcKORA.idl)
set(KORA_TLB ${KORA_GENERATED}/zelrcKORA.tlb)
set(KORA_IDL_OUTPUTS ${KORA_TLB} ${KORA_GENERATED}/zelrcKORA_h.h ${KORA_GENERATED}/zelrcKORA_i.c)
set(KORA_WIDL_COMMAND ${KORA_WIDL} ${KORA_WIDL_INCLUDES} -t -h -u
    -H ${KORA_GENERATED}/zelrcKORA_h.h -U ${KORA_GENERATED}/zelrcKORA_i.c)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The host reads records with 4-byte packing. The C header gets it from the
  # IDL's pshpack4; widl still writes the type library's records naturally
  # aligned (a VARIANT on 8), so tlbpack, built for this machine, lays them
  # out again before windres embeds the library. It stops the build on
  # anything it does not recognise.
  find_program(KORA_HOST_CXX NAMES c++ g++ REQUIRED)
  set(KORA_TLBPACK ${CMAKE_BINARY_DIR}/host/tlbpack)
  add_custom_command(
    OUTPUT ${KORA_TLBPACK}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${KORA_HOST_CXX} -std=c++20 -O1 -Wall -Wextra -Wshadow -Werror
            -o ${KORA_TLBPACK} ${CMAKE_SOURCE_DIR}/tools/tlbpack.cpp
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/tlbpack.cpp
    COMMENT "tlbpack (for the build machine)"
    VERBATIM)
  set(KORA_WIDE_TLB ${KORA_GENERATED}/zelrcKORA.widl.tlb)
  add_custom_command(
    OUTPUT ${KORA_IDL_OUTPUTS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KORA_GENERATED}
    COMMAND ${KORA_WIDL_COMMAND} --win32-align 4 -T ${KORA_WIDE_TLB} ${KORA_IDL}
    COMMAND ${KORA_TLBPACK} 4 ${KORA_WIDE_TLB} ${KORA_TLB}
    DEPENDS ${KORA_IDL} ${KORA_TLBPACK}
    COMMENT "widl zelrcKORA.idl, records packed on 4"
    VERBATIM)
else()
  add_custom_command(
    OUTPUT ${KORA_IDL_OUTPUTS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KORA_GENERATED}
    COMMAND ${KORA_WIDL_COMMAND} -T ${KORA_TLB} ${KORA_IDL}
    DEPENDS ${KORA_IDL}
    COMMENT "widl zelrcKORA.idl"
    VERBATIM)
endif()
add_custom_target(kora_typelib DEPENDS ${KORA_IDL_OUTPUTS})

# --- The DLL's Windows layer, as a library the DLL and the tests share --------
file(GLOB KORA_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/*_win.cpp)
set(KORA_DLL_ENTRY ${CMAKE_SOURCE_DIR}/src/plugin/server_win.cpp)
list(REMOVE_ITEM KORA_WIN_SOURCES ${KORA_DLL_ENTRY})
add_library(kora_win STATIC ${KORA_WIN_SOURCES} ${KORA_GENERATED}/zelrcKORA_i.c)
add_dependencies(kora_win kora_typelib)
target_include_directories(kora_win PUBLIC ${CMAKE_SOURCE_DIR}/src ${KORA_GENERATED})
target_link_libraries(kora_win PUBLIC kora_core ${KORA_WIN_LIBS})
target_compile_options(kora_win PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${KORA_WARNINGS}>)

add_library(zelrcKORA SHARED ${KORA_DLL_ENTRY} ${CMAKE_SOURCE_DIR}/src/plugin/zelrcKORA.rc
            ${CMAKE_SOURCE_DIR}/src/plugin/zelrcKORA.def)
target_link_libraries(zelrcKORA PRIVATE kora_win)
target_compile_options(zelrcKORA PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${KORA_WARNINGS}>)
target_link_options(zelrcKORA PRIVATE ${KORA_DLL_LINK})
# windres finds zelrcKORA.tlb and base/version.h through the include path.
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/plugin/zelrcKORA.rc PROPERTIES OBJECT_DEPENDS ${KORA_TLB})
set_target_properties(zelrcKORA PROPERTIES PREFIX "" OUTPUT_NAME zelrcKORA
  RUNTIME_OUTPUT_DIRECTORY ${KORA_DEMO}/Plugins)

# --- Stand-ins ----------------------------------------------------------------
file(GLOB KORA_SUITE_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/suite/winlib/*.cpp)
add_library(kora_suite_win STATIC ${KORA_SUITE_WIN_SOURCES})
target_include_directories(kora_suite_win PUBLIC ${CMAKE_SOURCE_DIR}/suite/winlib)
target_link_libraries(kora_suite_win PUBLIC kora_suite kora_win)
target_compile_options(kora_suite_win PRIVATE ${KORA_WARNINGS})

function(kora_stand_in_dll name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/suite/${folder}/*.cpp)
  add_library(${name} SHARED ${sources} ${CMAKE_SOURCE_DIR}/suite/${folder}/${name}.def)
  target_link_libraries(${name} PRIVATE kora_suite_win)
  target_compile_options(${name} PRIVATE ${KORA_WARNINGS})
  target_link_options(${name} PRIVATE ${KORA_DLL_LINK})
  set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${KORA_DEMO})
endfunction()
kora_stand_in_dll(zelrcUTK utility)
kora_stand_in_dll(zelrcCDX codec)

file(GLOB KORA_HOST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/suite/host/*.cpp)
add_executable(korastand-host ${KORA_HOST_SOURCES})
target_link_libraries(korastand-host PRIVATE kora_suite_win ws2_32 windowscodecs)  # ws2_32: the relay to the server side; windowscodecs: screenshots
target_compile_options(korastand-host PRIVATE ${KORA_WARNINGS})
target_link_options(korastand-host PRIVATE -municode ${KORA_STATIC_LINK})
set_target_properties(korastand-host PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORA_DEMO})
# The button faces of the installation, BasePath\imgs.
set(KORA_FACE_SOURCES ${CMAKE_SOURCE_DIR}/suite/assets/imgs/butup.gif ${CMAKE_SOURCE_DIR}/suite/assets/imgs/butdown.gif)
set(KORA_FACES ${KORA_DEMO}/imgs/butup.gif ${KORA_DEMO}/imgs/butdown.gif)
add_custom_command(
  OUTPUT ${KORA_FACES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KORA_DEMO}/imgs
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KORA_FACE_SOURCES} ${KORA_DEMO}/imgs
  DEPENDS ${KORA_FACE_SOURCES}
  COMMENT "button faces -> demo/imgs"
  VERBATIM)
add_custom_target(kora_button_faces ALL DEPENDS ${KORA_FACES})
# The demo needs every piece of the installation.
add_dependencies(korastand-host zelrcKORA zelrcUTK zelrcCDX kora_button_faces)

# --- Tests under Wine -----------------------------------------------------------
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Both builds run their tests under Wine, each in a prefix of its own
# (tools/wine-env.sh): x86-64 under wine64, i686 under 32-bit Wine.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KORA_BITS 32)
else()
  set(KORA_BITS 64)
endif()
set(KORA_WINERUN ${CMAKE_SOURCE_DIR}/tools/winerun --bits ${KORA_BITS})
set(CMAKE_CROSSCOMPILING_EMULATOR ${KORA_WINERUN})
file(GLOB KORA_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(kora_win_tests ${KORA_WIN_TEST_SOURCES})
target_link_libraries(kora_win_tests PRIVATE kora_suite_win kora_win version GTest::gtest GTest::gtest_main)
target_compile_options(kora_win_tests PRIVATE ${KORA_WARNINGS})
target_link_options(kora_win_tests PRIVATE ${KORA_STATIC_LINK})
target_compile_definitions(kora_win_tests PRIVATE KORA_DEMO_DIR="${KORA_DEMO}")
add_dependencies(kora_win_tests zelrcKORA zelrcUTK zelrcCDX korastand-host)

# The components must be registered in the prefix before any test runs.
add_test(NAME kora_register_components
         COMMAND ${KORA_WINERUN} --register
                 ${KORA_DEMO}/zelrcUTK.dll ${KORA_DEMO}/zelrcCDX.dll ${KORA_DEMO}/Plugins/zelrcKORA.dll)
set_tests_properties(kora_register_components PROPERTIES FIXTURES_SETUP kora_registered)
# One Wine process for the whole program (a Wine start costs seconds); the
# tests unload the plug-in between them, and GoogleTest names each failure.
# The time-out only catches a hung test (a box nobody answers); the soaks
# alone take minutes on a loaded machine.
add_test(NAME kora_win_tests COMMAND kora_win_tests --gtest_brief=1)
set_tests_properties(kora_win_tests PROPERTIES FIXTURES_REQUIRED kora_registered TIMEOUT 2400)

# The harness: the registered plug-in in a host of its own process, for the
# stress tests (large inputs, the soak: KORA_SOAK_CYCLES cycles, 20 unless
# set), and the timing figures on the same host rig (bench/win, ./korastand
# bench). Both run from harness/, which is their BasePath, with the
# installation's button faces, through tools/wine-harness.sh (their windows
# unmanaged on Xvfb).
function(kora_harness_program name)
  add_executable(${name} ${ARGN} ${CMAKE_SOURCE_DIR}/tests/win/harness/plugin_host.cpp
                 ${CMAKE_SOURCE_DIR}/suite/host/form_driver_win.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/suite/host ${CMAKE_SOURCE_DIR}/tests/win/harness)
  target_link_libraries(${name} PRIVATE kora_suite_win kora_win psapi)
  target_compile_options(${name} PRIVATE ${KORA_WARNINGS})
  target_link_options(${name} PRIVATE ${KORA_STATIC_LINK})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/harness)
  add_dependencies(${name} zelrcKORA zelrcUTK zelrcCDX kora_button_faces)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${KORA_DEMO}/imgs ${CMAKE_BINARY_DIR}/harness/imgs
    VERBATIM)
endfunction()
file(GLOB KORA_HARNESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/harness/*.cpp)
list(REMOVE_ITEM KORA_HARNESS_SOURCES ${CMAKE_SOURCE_DIR}/tests/win/harness/plugin_host.cpp)
kora_harness_program(kora_wine_harness ${KORA_HARNESS_SOURCES})
target_link_libraries(kora_wine_harness PRIVATE GTest::gtest)
if(KORA_BENCH)
  kora_harness_program(kora_wine_timing ${CMAKE_SOURCE_DIR}/bench/win/timing.cpp)
endif()
# Stress and soak in one run of the harness.
add_test(NAME kora_wine_harness COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-harness.sh)
set_tests_properties(kora_wine_harness PROPERTIES
  FIXTURES_REQUIRED kora_registered TIMEOUT 2400
  ENVIRONMENT "KORA_BITS=${KORA_BITS};KORA_HARNESS_EXE=$<TARGET_FILE:kora_wine_harness>")

# Where the i686 build cannot run, ./korastand test reads its DLL's type
# library back in a 64-bit process (tools/typelib_check.cpp).
if(KORA_BITS EQUAL 64)
  add_executable(typelib_check ${CMAKE_SOURCE_DIR}/tools/typelib_check.cpp)
  target_include_directories(typelib_check PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(typelib_check PRIVATE ole32 oleaut32)
  target_compile_options(typelib_check PRIVATE ${KORA_WARNINGS})
  target_link_options(typelib_check PRIVATE -municode ${KORA_STATIC_LINK})
endif()
