# How LLVM links a DLL we ship (Compiler.cmake): with no C runtime, its entry point ours
# (hardening/StackGuard.c), which calls DllMain, and the system's routines from import libraries that llvm-dlltool makes here from
# the .def files in cmake/imports (the routines the product calls, nothing else). The few
# interface identifiers it takes from libuuid come from imports/guids.c.
# On x86, whose import libraries need each routine's decorated name, they are mingw-w64's.
set(imports ${CMAKE_BINARY_DIR}/imports)
set(import_libs)
set(defs)
if(ORVANE_DLLTOOL_MACHINE)
  file(GLOB defs ${CMAKE_CURRENT_LIST_DIR}/imports/*.def)
endif()
foreach(def IN LISTS defs)
  get_filename_component(name ${def} NAME_WE)
  set(lib ${imports}/lib${name}.a)
  add_custom_command(
    OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${imports}
    COMMAND ${ORVANE_DLLTOOL} -m ${ORVANE_DLLTOOL_MACHINE} -d ${def} -l ${lib}
    DEPENDS ${def}
    COMMENT "Making the import library lib${name}.a"
    VERBATIM)
  list(APPEND import_libs ${lib})
endforeach()
add_custom_target(orvane_import_libs DEPENDS ${import_libs})
add_library(orvane_guids STATIC ${CMAKE_CURRENT_LIST_DIR}/imports/guids.c)
set_target_properties(orvane_guids PROPERTIES OUTPUT_NAME uuid ARCHIVE_OUTPUT_DIRECTORY ${imports})

include(LlvmHardening)

# orvane_shipped_dll(<target>)
function(orvane_shipped_dll target)
  add_dependencies(${target} orvane_import_libs orvane_guids)
  # Searched before the toolchain's own libraries, where the target has any (named relative
  # to the build folder by orvane_hardened_dll).
  target_link_libraries(${target} PRIVATE kernel32 msvcrt)
  target_link_options(${target} PRIVATE -nostdlib -Wl,--image-base,${ORVANE_IMAGE_BASE}
                      -Wl,--gc-sections $<$<CONFIG:Release>:-s>)
  orvane_hardened_dll(${target})
  orvane_check_startup(${target} TLS)
endfunction()
