include(GoogleTest)

# Helpers shared by every module's CMakeLists.txt.

set(TORVA_WARNINGS -Wall -Wextra -Werror)
# GCC 12's flow-based bounds warnings misfire on inlined std::vector growth at -O2 and above;
# they stay warnings there instead of failing the build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND TORVA_WARNINGS -Wno-error=array-bounds -Wno-error=stringop-overflow -Wno-error=stringop-overread -Wno-error=restrict)
endif()
if(TORVA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(TORVA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds DIR when it has a CMakeLists.txt, otherwise each subfolder of DIR the same way, so a
# module folder joins the build by having a CMakeLists.txt of its own.
function(torva_add_subdirectories dir)
  set(base "${CMAKE_CURRENT_SOURCE_DIR}/${dir}")
  if(EXISTS "${base}/CMakeLists.txt")
    add_subdirectory(${dir})
    return()
  endif()
  file(GLOB children LIST_DIRECTORIES true RELATIVE "${base}" "${base}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${base}/${child}")
      torva_add_subdirectories(${dir}/${child})
    endif()
  endforeach()
endfunction()

# torva_library(NAME SOURCES a.cpp b.cpp DEPS other_lib ...)
function(torva_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${TORVA_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_property(GLOBAL APPEND PROPERTY TORVA_LIBRARIES ${name})
endfunction()

# torva_executable(NAME source ...): a program of the tree, built with its include root and warnings.
function(torva_executable name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${TORVA_WARNINGS})
endfunction()

# torva_test(NAME SOURCES t.cpp ... DEPS lib ... [LABELS l ...]): one GoogleTest executable, a CTest entry per
# test case (NAME.Suite.Case), so a failure names its case. Every case runs in a process of its
# own with folders named after it (torva::test::CaseName), so cases run side by side.
function(torva_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  torva_executable(${name} ${ARG_SOURCES})
  target_compile_definitions(${name} PRIVATE
    TORVA_TEST_DATA_DIR="${TORVA_TEST_DATA_DIR}"
    TORVA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TORVA_TEST_OUTPUT_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} torva_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
    PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

# torva_fuzz(NAME SOURCE f.cpp DEPS lib ... SEEDS dir-or-file ...)
# With TORVA_FUZZ the target is a libFuzzer binary. Otherwise it links a small driver that
# runs the target once over every seed file, and CTest runs that, so the readers' malformed
# fixtures are replayed on every build.
function(torva_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCE;DEPS;SEEDS" ${ARGN})
  if(TORVA_FUZZ)
    torva_executable(${name} ${ARG_SOURCE})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    torva_executable(${name} ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    if(TORVA_TESTS AND ARG_SEEDS)
      add_test(NAME ${name} COMMAND ${name} ${ARG_SEEDS})
    endif()
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# torva_bench(NAME SOURCES b.cpp ... DEPS lib ...)
function(torva_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  torva_executable(${name} ${ARG_SOURCES})
  target_compile_definitions(${name} PRIVATE TORVA_TEST_DATA_DIR="${TORVA_TEST_DATA_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()
