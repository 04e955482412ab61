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
# runtime, and the linker drops every function nothing calls.
function(orvane_lean)
  foreach(target IN LISTS ARGN)
    if(MSVC)
      target_compile_options(${target} PRIVATE /GR- /Gy)
      target_compile_definitions(${target} PRIVATE _HAS_EXCEPTIONS=0)
    else()
      target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti
                             -ffunction-sections -fdata-sections)
    endif()
  endforeach()
endfunction()

# orvane_link_map(<target>): the linker's map of a shipped binary, beside it as <file>.map;
# THIRD_PARTY_NOTICES.txt is made from what the maps show was linked in (notices/).
function(orvane_link_map target)
  if(NOT MSVC)
    target_link_options(${target} PRIVATE "-Wl,-Map=$<TARGET_FILE:${target}>.map")
  endif()
endfunction()
