# ctest -S script: builds the tests and runs every test program of our own (label "program")
# under valgrind memcheck. Tests that are shell scripts run no code of ours directly and are left
# out; the processes that test programs start (morvane-keytool) are checked by the sanitizer build.
#
#   ctest -S .ci/memcheck.cmake [-DBUILD_DIR=...]
cmake_minimum_required(VERSION 3.21)

get_filename_component(CTEST_SOURCE_DIRECTORY "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT DEFINED BUILD_DIR)
  set(BUILD_DIR "${CTEST_SOURCE_DIRECTORY}/build-valgrind")
endif()
set(CTEST_BINARY_DIRECTORY "${BUILD_DIR}")
set(CTEST_CMAKE_GENERATOR "Unix Makefiles")
set(CTEST_BUILD_FLAGS -j2)
find_program(CTEST_MEMORYCHECK_COMMAND valgrind REQUIRED)
set(CTEST_MEMORYCHECK_COMMAND_OPTIONS
  "--quiet --leak-check=full --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect --track-origins=yes --num-callers=40 --error-exitcode=99")
set(CTEST_MEMORYCHECK_SUPPRESSIONS_FILE "${CMAKE_CURRENT_LIST_DIR}/valgrind.supp")

ctest_start(Experimental)
# Optimised with debug information, without sanitizers, which do not mix with valgrind.
ctest_configure(OPTIONS "-DCMAKE_BUILD_TYPE=RelWithDebInfo;-DMORVANE_SANITIZE=OFF;-DMORVANE_BUILD_TESTS=ON")
ctest_build(NUMBER_ERRORS build_errors)
if(build_errors GREATER 0)
  message(FATAL_ERROR "valgrind: the build failed")
endif()
ctest_memcheck(INCLUDE_LABEL "^program$" PARALLEL_LEVEL 2 RETURN_VALUE failed DEFECT_COUNT defects)

# valgrind writes to a test's log only when it has something to report.
file(GLOB logs "${BUILD_DIR}/Testing/Temporary/MemoryChecker.*.log")
foreach(log IN LISTS logs)
  file(SIZE "${log}" size)
  if(size GREATER 0)
    file(READ "${log}" report)
    message("${log}:\n${report}")
  endif()
endforeach()
if(NOT failed EQUAL 0 OR defects GREATER 0)
  message(FATAL_ERROR "valgrind: ${defects} defects, or failing tests (see above)")
endif()
message("valgrind: every test program clean")
