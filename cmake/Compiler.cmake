# Warnings, a statically linked runtime (shipped binaries import only system DLLs) and
# byte-for-byte reproducible output.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)

if(MSVC)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  add_compile_options(/W4 /permissive- /utf-8 /Brepro)
  add_link_options(/Brepro)
else()
  option(ORVANE_WERROR "Treat compiler warnings as errors" ON)
  add_compile_options(-Wall -Wextra $<$<BOOL:${ORVANE_WERROR}>:-Werror>
                      -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                      -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  add_link_options(-static -Wl,--no-insert-timestamp)
endif()

# orvane_lean(<target>...): product code carries no C++ exception or type-information
# runtime, and the linker drops every function nothing calls. Where the toolchain hardens
# what ships (LlvmHardening.cmake), the code is built hardened.
function(orvane_lean)
  foreach(target IN LISTS ARGN)
    if(MSVC)
      target_compile_options(${target} PRIVATE /GR- /Gy)
      target_compile_definitions(${target} PRIVATE _HAS_EXCEPTIONS=0)
    else()
      target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti
                             -ffunction-sections -fdata-sections)
    endif()
    if(COMMAND orvane_hardened_code)
      orvane_hardened_code(${target})
    endif()
  endforeach()
endfunction()

# orvane_link_map(<target>): the linker's map of a shipped binary, beside it as <file>.map;
# THIRD_PARTY_NOTICES.txt is made from what the maps show was linked in (notices/).
function(orvane_link_map target)
  if(NOT MSVC)
    # Named relative to the build folder, where the link runs: lld keeps its command line in
    # the PDB.
    target_link_options(${target} PRIVATE
                        "-Wl,-Map=$<PATH:RELATIVE_PATH,$<TARGET_FILE:${target}>.map,${CMAKE_BINARY_DIR}>")
  endif()
endfunction()

# orvane_check_startup(<target> [TLS]): after each link, fails when an object of the target or
# of a static library of ours it links has start-up code (.ctors, .CRT$XC*): a DLL that links
# no C runtime never runs it, and the global stays unset. TLS: also when the DLL has a
# thread-local storage directory, which nothing there would serve.
function(orvane_check_startup target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "TLS" "" "")
  set(files "$<TARGET_OBJECTS:${target}>")
  foreach(library orvane_core orvane_support orvane_registry orvane_shell orvane_idl)
    list(APPEND files "$<TARGET_FILE:${library}>")
  endforeach()
  set(image "")
  if(arg_TLS)
    set(image "-DIMAGE=$<TARGET_FILE:${target}>")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} "-DFILES=${files}" ${image}
            "-DFLAGS=${CMAKE_CXX_FLAGS}" -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckStartup.cmake
    VERBATIM)
endfunction()

# orvane_shipped_dll(<target>): how a DLL we ship is linked, by toolchain: reproducibly, at a
# fixed preferred base (ASLR still applies), without what the linker finds unused.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ORVANE_IMAGE_BASE 0x1A6A400000)
else()
  set(ORVANE_IMAGE_BASE 0x6A400000)
endif()
if(ORVANE_TOOLCHAIN STREQUAL llvm)
  include(LlvmDll)
else()
  function(orvane_shipped_dll target)
    if(MSVC)
      return()
    endif()
    # A release ships without the symbols and debug sections of the static runtime. On x86
    # the DLL installs no SEH handler: NO_SEH says so.
    target_link_options(${target} PRIVATE -Wl,--image-base,${ORVANE_IMAGE_BASE}
                        -Wl,--kill-at -Wl,--enable-stdcall-fixup -Wl,--gc-sections
                        $<$<CONFIG:Release>:-s> $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},x86>:-Wl,--no-seh>)
    orvane_check_startup(${target})
  endfunction()
endif()
