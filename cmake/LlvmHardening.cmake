# What makes the DLL LLVM builds for shipping pass a binary review (LlvmDll.cmake): Control
# Flow Guard with its tables in a load configuration of ours, stack protection with a guard
# seeded before DllMain, no SEH frames on x86 (NO_SEH), shadow-stack compatibility on x64, a
# PDB whose path in the image is its bare name, and the checksum. The routines that a C
# runtime would provide for these come from hardening/. The spellings are found by feature:
# clang 16 and later take -mguard=cf and lld --guard-cf, older ones only their inner options.
include(CheckCCompilerFlag)
set(hardening ${CMAKE_CURRENT_LIST_DIR}/hardening)

check_c_compiler_flag(-mguard=cf ORVANE_CLANG_MGUARD)
if(ORVANE_CLANG_MGUARD)
  set(ORVANE_CFG_COMPILE -mguard=cf)
else()
  check_c_compiler_flag("-Xclang -cfguard" ORVANE_CLANG_CFGUARD)
  if(NOT ORVANE_CLANG_CFGUARD)
    message(FATAL_ERROR "${CMAKE_C_COMPILER} takes neither -mguard=cf nor -Xclang -cfguard: no Control Flow Guard")
  endif()
  set(ORVANE_CFG_COMPILE "SHELL:-Xclang -cfguard")
endif()
# lld's MinGW options, as it lists them.
execute_process(COMMAND ${CMAKE_C_COMPILER} -print-prog-name=ld.lld
                OUTPUT_VARIABLE lld OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${lld} -m i386pep --help OUTPUT_VARIABLE lld_help ERROR_QUIET)
if(lld_help MATCHES "--guard-cf")
  set(ORVANE_CFG_LINK -Wl,--guard-cf)
else()
  set(ORVANE_CFG_LINK -Wl,--Xlink=-guard:cf)
endif()

# The runtime side for code built hardened, in any binary that links such code: the guard's
# check and dispatch pointers and the stack guard with its failure routine.
add_library(orvane_hardening STATIC ${hardening}/ControlFlowGuard.c ${hardening}/StackGuard.c)
target_compile_options(orvane_hardening PRIVATE -fno-stack-protector)
# Only the DLL's: its entry point, which seeds the stack guard, and its load configuration.
add_library(orvane_dll_entry OBJECT ${hardening}/DllEntry.c ${hardening}/LoadConfig.S)
set_source_files_properties(${hardening}/LoadConfig.S PROPERTIES LANGUAGE C
                            COMPILE_OPTIONS "-x;assembler-with-cpp")
target_compile_options(orvane_dll_entry PRIVATE -fno-stack-protector)

# The checksum, written by a host program after the link.
find_program(ORVANE_HOST_CC NAMES cc gcc clang REQUIRED)
set(ORVANE_PE_CHECKSUM ${CMAKE_BINARY_DIR}/hardening/pe-checksum)
add_custom_command(OUTPUT ${ORVANE_PE_CHECKSUM}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/hardening
  COMMAND ${ORVANE_HOST_CC} -O2 -o ${ORVANE_PE_CHECKSUM} ${hardening}/PeChecksum.c
  DEPENDS ${hardening}/PeChecksum.c
  COMMENT "Building the checksum writer"
  VERBATIM)
add_custom_target(orvane_pe_checksum DEPENDS ${ORVANE_PE_CHECKSUM})

# The compiler's command line in the debug information names no folder of this machine:
# clang 16 and later leave it out, older ones get only relative paths (relative-paths.sh).
# The object's name there is absolute unless the compilation folder is relative: "." is the
# build folder, where the build runs the compiler.
check_c_compiler_flag(-gno-codeview-command-line ORVANE_CLANG_NO_COMMAND_LINE)
set(ORVANE_DEBUG_COMPILE -gcodeview -g)
set(ORVANE_DEBUG_LAUNCHER)
if(ORVANE_CLANG_NO_COMMAND_LINE)
  list(APPEND ORVANE_DEBUG_COMPILE -gno-codeview-command-line -fdebug-compilation-dir=.)
else()
  set(ORVANE_DEBUG_LAUNCHER bash ${hardening}/relative-paths.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
endif()

# orvane_hardened_code(<target>): the target's code is built with the guard's checks, stack
# protection and CodeView debug information (for the PDB), and links their runtime side.
function(orvane_hardened_code target)
  target_compile_options(${target} PRIVATE ${ORVANE_CFG_COMPILE} -fstack-protector-strong
                         ${ORVANE_DEBUG_COMPILE})
  set_target_properties(${target} PROPERTIES C_COMPILER_LAUNCHER "${ORVANE_DEBUG_LAUNCHER}"
                        CXX_COMPILER_LAUNCHER "${ORVANE_DEBUG_LAUNCHER}")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL STATIC_LIBRARY)
    target_link_libraries(${target} PUBLIC orvane_hardening)
  else()
    target_link_libraries(${target} PRIVATE orvane_hardening)
  endif()
endfunction()

# orvane_hardened_dll(<target>): links the DLL hardened (its code built by orvane_hardened_code),
# with its PDB beside it, sets the checksum and checks every property (CheckHardening.cmake).
# The PDB holds the linker's folder and command line: every path on it is relative to the
# build folder (the .def file copied there, the import libraries' folder, the PDB and the
# map), the folder itself is written as ".", and the environment adds no library folder, so
# that the same sources built in another folder give the same bytes.
function(orvane_hardened_dll target)
  target_link_libraries(${target} PRIVATE orvane_dll_entry)
  set(entry DllMainCRTStartup)
  set(options ${ORVANE_CFG_LINK})
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL x86)
    set(entry DllMainCRTStartup@12)
    list(APPEND options -Wl,--no-seh)
  elseif(CMAKE_SYSTEM_PROCESSOR STREQUAL AMD64)
    list(APPEND options -Wl,--Xlink=-cetcompat)
  endif()
  # CMake names a .def source by its full path: a copy in the build folder is named relatively.
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  get_target_property(binary_dir ${target} BINARY_DIR)
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.def$")
      cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} OUTPUT_VARIABLE def)
      get_filename_component(name ${def} NAME)
      configure_file(${def} ${binary_dir}/${name} COPYONLY)
      list(REMOVE_ITEM sources ${source})
      list(APPEND sources ${binary_dir}/${name})
    endif()
  endforeach()
  set_target_properties(${target} PROPERTIES SOURCES "${sources}")
  set(pdb $<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.pdb)
  set(relative_pdb $<PATH:RELATIVE_PATH,${pdb},${CMAKE_BINARY_DIR}>)
  file(RELATIVE_PATH imports ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/imports)
  target_link_options(${target} PRIVATE -L${imports} -Wl,--entry,${entry} ${options}
                      -Wl,--pdb=${relative_pdb} -Wl,--Xlink=-pdbaltpath:%_PDB%
                      -Wl,--Xlink=-pdbsourcepath:.)
  set_target_properties(${target} PROPERTIES ORVANE_PDB ${pdb}
                        RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env --unset=LIBRARY_PATH")
  set_property(TARGET ${target} APPEND PROPERTY ADDITIONAL_CLEAN_FILES ${pdb})
  add_dependencies(${target} orvane_pe_checksum)
  # Our code: the target's objects and the product's libraries.
  set(files "$<TARGET_OBJECTS:${target}>")
  foreach(library orvane_core orvane_support orvane_registry orvane_shell)
    list(APPEND files "$<TARGET_FILE:${library}>")
    add_dependencies(${target} ${library})
  endforeach()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${ORVANE_PE_CHECKSUM} $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_COMMAND} -DREADOBJ=${ORVANE_READOBJ} -DIMAGE=$<TARGET_FILE:${target}>
            -DPDB=${pdb} -DPDBUTIL=${ORVANE_PDBUTIL} -DNM=${ORVANE_NM} -DCHECKSUM=${ORVANE_PE_CHECKSUM}
            "-DFILES=${files}"
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckHardening.cmake
    VERBATIM)
endfunction()
