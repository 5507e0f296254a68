# Libraries a program needs for only part of its work are loaded at their first call, not before the
# first window: under Wine each one loaded at start costs milliseconds before main runs. Each comes
# through an import library made from delayload/<dll>.def, which lists the calls the programs make; a
# call missing from it fails to link, or for shell32, which the compiler links by default, loads the
# library at start again (the release test fails then).
find_program(KESTRUN_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)
set(KESTRUN_DELAY_DIR ${CMAKE_BINARY_DIR}/delayload)
file(MAKE_DIRECTORY ${KESTRUN_DELAY_DIR})
foreach(dll comdlg32 crypt32 ole32 oleacc oleaut32 shell32 shlwapi version wintrust)
  set(def ${CMAKE_CURRENT_LIST_DIR}/delayload/${dll}.def)
  set(lib ${KESTRUN_DELAY_DIR}/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${lib} DEPENDS ${def} VERBATIM
    COMMAND ${KESTRUN_DLLTOOL} --input-def ${def} --dllname ${dll}.dll --output-delaylib ${lib})
  add_custom_target(make_delay_${dll} DEPENDS ${lib})
  add_library(delay_${dll} INTERFACE)
  target_link_libraries(delay_${dll} INTERFACE ${lib})
  add_dependencies(delay_${dll} make_delay_${dll})
endforeach()
