# The version of project(VERSION), handed to the code (KestrunVersion.h) and to each executable's
# VERSIONINFO and icon (app/Version.rc.in).
set(KESTRUN_VERSION_DIR ${CMAKE_BINARY_DIR}/version)
# string(TIMESTAMP) follows SOURCE_DATE_EPOCH: a release's copyright year is that of its last commit.
string(TIMESTAMP KESTRUN_COPYRIGHT_YEAR "%Y" UTC)
configure_file(${CMAKE_SOURCE_DIR}/cmake/KestrunVersion.h.in ${KESTRUN_VERSION_DIR}/KestrunVersion.h @ONLY)
add_library(kestrun_version INTERFACE)
target_include_directories(kestrun_version INTERFACE ${KESTRUN_VERSION_DIR})

# kestrun_version_resource(target DESCRIPTION): the version block and the application icon.
function(kestrun_version_resource target description)
  set(KESTRUN_FILE_DESCRIPTION ${description})
  set(KESTRUN_ORIGINAL_FILENAME ${target}.exe)
  set(KESTRUN_ICON ${KESTRUN_ART_DIR}/kestrun.ico)
  set(rc ${KESTRUN_VERSION_DIR}/${target}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/app/Version.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${KESTRUN_ICON})
  target_sources(${target} PRIVATE ${rc})
  target_link_libraries(${target} PRIVATE kestrun_version)
  add_dependencies(${target} kestrun_art)
endfunction()
