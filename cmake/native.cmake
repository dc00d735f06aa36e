# Native build: the core's unit tests, the server-side stand-in, benchmarks (bench/), fuzzers.
find_package(GTest REQUIRED)
include(GoogleTest)
find_package(Threads REQUIRED)
find_package(rapidcheck REQUIRED)

file(GLOB KORA_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(kora_unit_tests ${KORA_UNIT_TESTS})
target_link_libraries(kora_unit_tests PRIVATE kora_suite kora_core GTest::gtest GTest::gtest_main rapidcheck Threads::Threads)
target_compile_options(kora_unit_tests PRIVATE ${KORA_WARNINGS})
target_compile_definitions(kora_unit_tests PRIVATE KORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(kora_unit_tests DISCOVERY_TIMEOUT 60)
# Sequence properties (tests/unit/session_test.cpp); RapidCheck has no MinGW build here.
find_package(rapidcheck REQUIRED)
target_link_libraries(kora_unit_tests PRIVATE rapidcheck rapidcheck_gtest)

file(GLOB KORA_SERVER_SOURCES CONFIGURE_DEPENDS suite/server/*.cpp)
if(KORA_SERVER_SOURCES)
  add_executable(korastand-server ${KORA_SERVER_SOURCES})
  target_link_libraries(korastand-server PRIVATE kora_suite kora_core Threads::Threads)
  target_compile_options(korastand-server PRIVATE ${KORA_WARNINGS})
  # The loopback tests start the real program.
  add_dependencies(kora_unit_tests korastand-server)
  target_compile_definitions(kora_unit_tests PRIVATE KORA_SERVER_EXE="$<TARGET_FILE:korastand-server>")
endif()

file(GLOB KORA_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
find_package(benchmark QUIET)
if(KORA_BENCH AND KORA_BENCH_SOURCES AND benchmark_FOUND AND NOT KORA_SANITIZE)
  add_executable(kora_bench ${KORA_BENCH_SOURCES})
  target_link_libraries(kora_bench PRIVATE kora_suite kora_core benchmark::benchmark Threads::Threads)
  target_compile_options(kora_bench PRIVATE ${KORA_WARNINGS})
endif()

if(KORA_FUZZ)
  # The code under test carries the coverage instrumentation too, or libFuzzer
  # would steer by the fuzz target's few branches alone. Undefined behaviour is
  # a finding, not a warning.
  foreach(t kora_core kora_suite)
    target_compile_options(${t} PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
    target_link_options(${t} PUBLIC -fsanitize=address,undefined)
    # clang 14 with libstdc++ 12 has no std::source_location of its own.
    target_compile_options(${t} PUBLIC -include ${CMAKE_SOURCE_DIR}/tests/fuzz/compat/source_location.h)
  endforeach()
  file(GLOB KORA_FUZZ_SOURCES CONFIGURE_DEPENDS tests/fuzz/*.cpp)
  foreach(src ${KORA_FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE kora_suite kora_core)
    target_compile_options(${name} PRIVATE ${KORA_WARNINGS} -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  endforeach()
endif()
