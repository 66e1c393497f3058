# The resources of a Windows program file: the version information that Explorer shows in its
# properties, and the application manifest that Windows reads before the program starts.
#
# morvane_windows_resources(TARGET PROGRAM DESCRIPTION [RESOURCES...]): configures both for the
# file PROGRAM.exe built by TARGET, and on Windows links them into it together with RESOURCES
# (more .rc files, such as the icon). The version resource is configured on every platform and
# its path returned in MORVANE_RC_FILE, so that its test can compile it wherever windres is.

# "1.00" as four plain numbers, "1, 0, 0, 0" for the resource and "1.0.0.0" for the manifest.
set(MORVANE_RC_VERSION "")
foreach(part MAJOR MINOR PATCH TWEAK)
  set(number "${PROJECT_VERSION_${part}}")
  if(number STREQUAL "")
    set(number 0)
  endif()
  math(EXPR number "${number}")  # "00" in "1.00" becomes 0
  list(APPEND MORVANE_RC_VERSION "${number}")
endforeach()
list(JOIN MORVANE_RC_VERSION "." MORVANE_RC_VERSION_DOTTED)
list(JOIN MORVANE_RC_VERSION ", " MORVANE_RC_VERSION)

function(morvane_windows_resources target program description)
  set(MORVANE_RC_PROGRAM "${program}")
  set(MORVANE_RC_DESCRIPTION "${description}")
  string(MAKE_C_IDENTIFIER "${target}" MORVANE_MANIFEST_NAME)
  set(folder "${CMAKE_CURRENT_BINARY_DIR}/resources-${MORVANE_MANIFEST_NAME}")
  set(MORVANE_MANIFEST_FILE "${folder}/program.manifest")
  configure_file("${PROJECT_SOURCE_DIR}/app/Morvane.rc.in" "${folder}/Version.rc" @ONLY)
  configure_file("${PROJECT_SOURCE_DIR}/app/Program.manifest.in" "${MORVANE_MANIFEST_FILE}" @ONLY)
  configure_file("${PROJECT_SOURCE_DIR}/app/Manifest.rc.in" "${folder}/Manifest.rc" @ONLY)
  if(WIN32)
    target_sources(${target} PRIVATE "${folder}/Version.rc" "${folder}/Manifest.rc" ${ARGN})
    # windres does not see the manifest as a dependency of the .rc that names it.
    set_property(SOURCE "${folder}/Manifest.rc" TARGET_DIRECTORY ${target}
      APPEND PROPERTY OBJECT_DEPENDS "${MORVANE_MANIFEST_FILE}")
  endif()
  set(MORVANE_RC_FILE "${folder}/Version.rc" PARENT_SCOPE)
endfunction()
