# The tool's header-only libraries, from Debian's packages: CLI11 reads the command line,
# nlohmann json writes JSON, utfcpp checks UTF-8. A cross build for Windows looks for packages in
# its own root only; there each library's headers are copied from this machine into a folder of
# the build and used from there, never from /usr/include itself, whose Linux headers would stand
# in for mingw's.
#
# morvane_header_only_library(TARGET PACKAGE HOST_FOLDER ENTRIES...): TARGET from the package's
# CMake configuration, or in a cross build made of ENTRIES copied from HOST_FOLDER.
function(morvane_header_only_library target package host_folder)
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(${package} CONFIG REQUIRED)
    # Seen from every folder, as the tests and fuzzers link the keytool library.
    set_target_properties(${target} PROPERTIES IMPORTED_GLOBAL TRUE)
    return()
  endif()
  set(copy "${PROJECT_BINARY_DIR}/host-headers/${package}")
  foreach(entry IN LISTS ARGN)
    if(NOT EXISTS "${host_folder}/${entry}")
      message(FATAL_ERROR "${host_folder}/${entry} is missing: run tools/install-dependencies.sh")
    endif()
    file(COPY "${host_folder}/${entry}" DESTINATION "${copy}")
  endforeach()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${copy}")
endfunction()

morvane_header_only_library(CLI11::CLI11 CLI11 /usr/include CLI)
morvane_header_only_library(nlohmann_json::nlohmann_json nlohmann_json /usr/include nlohmann)
morvane_header_only_library(utf8cpp utf8cpp /usr/include/utf8cpp utf8.h utf8)
