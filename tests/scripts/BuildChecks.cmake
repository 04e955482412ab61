# The build's own checks, fed what they must refuse and what they must let through:
#   cmake -DCOMPILER=<c++> [-DTARGET=<triple>] -DCOMPILER_ID=<GNU|Clang> -DOBJDUMP=<objdump>
#         -DSOURCE=<project> -DPRESET=<coverage preset> -DWORK=<dir> -P BuildChecks.cmake
# cmake/CheckStartup.cmake with small objects: start-up code of either kind fails, with or
# without gcov's counters (the flags of the coverage preset, which GCC builds); the counters'
# own constructor passes only with those flags. CheckImports.cmake with a program that
# imports a DLL outside the system's, CheckLinkMap.cmake with maps that show the exception
# runtime. notices/LinkMap.cmake with a link map whose paths merely contain a reviewed row's
# path: no row takes them.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(faults)

file(READ ${SOURCE}/CMakePresets.json presets)
string(JSON count LENGTH "${presets}" configurePresets)
set(coverage_flags)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON name GET "${presets}" configurePresets ${i} name)
  if(name STREQUAL PRESET)
    string(JSON coverage_flags GET "${presets}" configurePresets ${i} cacheVariables CMAKE_CXX_FLAGS)
  endif()
endforeach()
if(NOT coverage_flags MATCHES "--coverage")
  list(APPEND faults "preset ${PRESET}: no --coverage in CMAKE_CXX_FLAGS (\"${coverage_flags}\")")
endif()

set(plain "int f(int x) { return x + 1; }")
set(dynamic "int g(); int x = g();")
set(crt "static void f() {}\n__attribute__((used, section(\".CRT$XCU\"))) static void (*p)() = f;")
# Rows: name, source, compiled with the preset's flags, checked with them, passes.
set(rows
  "plain|plain|0|0|1" "dynamic|dynamic|0|0|0" "crt|crt|0|0|0")
if(COMPILER_ID STREQUAL GNU)
  list(APPEND rows "counted|plain|1|1|1" "counted-unexempt|plain|1|0|0"
                   "counted-dynamic|dynamic|1|1|0" "counted-crt|crt|1|1|0")
endif()
set(target)
if(TARGET)
  set(target --target=${TARGET})
endif()
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 name)
  list(GET row 1 source)
  list(GET row 2 compiled)
  list(GET row 3 checked)
  list(GET row 4 passes)
  set(flags)
  if(compiled)
    separate_arguments(flags UNIX_COMMAND "${coverage_flags}")
  endif()
  file(WRITE ${WORK}/${name}.cpp "${${source}}\n")
  execute_process(COMMAND ${COMPILER} ${target} ${flags} -c ${name}.cpp -o ${name}.obj
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    list(APPEND faults "${name}: does not compile: ${error}")
    continue()
  endif()
  set(check_flags)
  if(checked)
    set(check_flags "${coverage_flags}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP} -DFILES=${WORK}/${name}.obj
                          "-DFLAGS=${check_flags}" -P ${SOURCE}/cmake/CheckStartup.cmake
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(passes AND NOT status EQUAL 0)
    list(APPEND faults "start-up check refused ${name} (flags \"${check_flags}\"): ${out}")
  elseif(NOT passes AND (status EQUAL 0 OR NOT out MATCHES "start-up code"))
    list(APPEND faults "start-up check passed ${name} (flags \"${check_flags}\"): ${out}")
  endif()
endforeach()

# check NAME SCRIPT PASSES ARGS...: runs one of cmake/'s checks, which must pass or refuse.
function(check name script passes)
  execute_process(COMMAND ${CMAKE_COMMAND} ${ARGN} -P ${SOURCE}/cmake/${script}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(passes AND NOT status EQUAL 0)
    set(faults ${faults} "${script} refused ${name}: ${out}" PARENT_SCOPE)
  elseif(NOT passes AND status EQUAL 0)
    set(faults ${faults} "${script} passed ${name}: ${out}" PARENT_SCOPE)
  endif()
endfunction()

# Programs that import from the system alone, and from version.dll too (GCC links them).
if(COMPILER_ID STREQUAL GNU)
  file(WRITE ${WORK}/system.cpp "int main() { return 0; }\n")
  file(WRITE ${WORK}/foreign.cpp "#include <windows.h>\n"
             "int main() { return GetFileVersionInfoSizeW(L\"x\", nullptr) ? 0 : 1; }\n")
  foreach(name system foreign)
    execute_process(COMMAND ${COMPILER} -static ${name}.cpp -o ${name}.exe -lversion
                    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE failed ERROR_VARIABLE error)
    if(failed)
      list(APPEND faults "${name}.exe does not link: ${error}")
    endif()
  endforeach()
  check(system.exe CheckImports.cmake 1 -DOBJDUMP=${OBJDUMP} -DBINARIES=${WORK}/system.exe)
  check(foreign.exe CheckImports.cmake 0 -DOBJDUMP=${OBJDUMP} -DBINARIES=${WORK}/foreign.exe)
endif()

# Link maps without and with the exception runtime: a member of its archive, or the tables.
set(section "\n .text          0x0000000000001000       0x10 Component/CMakeFiles/Orvane.dir/Server.cpp.obj\n")
file(WRITE ${WORK}/clean.map "${section}")
file(WRITE ${WORK}/member.map "${section}/usr/lib/gcc/x86_64-w64-mingw32/12-win32/libgcc_eh.a(unwind-seh.o)\n")
file(WRITE ${WORK}/tables.map "${section} .gcc_except_table\n                0x0000000000002000       0x18 Component/CMakeFiles/Orvane.dir/Server.cpp.obj\n")
check(clean.map CheckLinkMap.cmake 1 -DMAP=${WORK}/clean.map)
check(member.map CheckLinkMap.cmake 0 -DMAP=${WORK}/member.map)
check(tables.map CheckLinkMap.cmake 0 -DMAP=${WORK}/tables.map)

# Each linked path and the package the reviewed table gives it; only the first row's path is
# one of its rows.
include(${SOURCE}/notices/LinkMap.cmake)
orvane_read_archive_table(${SOURCE}/notices/LinkedArchives.txt table)
set(gcc /usr/lib/gcc/x86_64-w64-mingw32)
set(linked
  "${gcc}/12-win32/crtbegin.o|gcc-mingw-w64-x86-64-win32"
  "/copy${gcc}/12-win32/crtbegin.o|"
  "${gcc}/12-win32/crtbegin.o.d/crtend.o|"
  "${gcc}/12/x-win32/crtbegin.o|"
  "/copy${gcc}/12-win32/libgcc.a|")
set(map "Archive member included to satisfy reference by file (symbol)\n\n")
foreach(row IN LISTS linked)
  string(REGEX REPLACE "\\|.*" "" path "${row}")
  if(path MATCHES "\\.a$")
    string(APPEND map "${path}(_chkstk.o)\n                              Orvane.cpp.obj (___chkstk_ms)\n")
  endif()
endforeach()
string(APPEND map "\nMemory Configuration\n\n")
foreach(row IN LISTS linked)
  string(REGEX REPLACE "\\|.*" "" path "${row}")
  if(NOT path MATCHES "\\.a$")
    string(APPEND map "LOAD ${path}\n")
  endif()
endforeach()
file(WRITE ${WORK}/linked.map "${map}")
orvane_linked_outside(${WORK}/linked.map read)
list(LENGTH read read_count)
list(LENGTH linked count)
if(NOT read_count EQUAL count)
  list(APPEND faults "the link map gave ${read_count} files, not ${count}: ${read}")
endif()
foreach(row IN LISTS linked)
  string(REGEX REPLACE "\\|.*" "" path "${row}")
  string(REGEX REPLACE "^[^|]*\\|" "" expected "${row}")
  orvane_package_of(table "${path}" package)
  if(NOT package STREQUAL expected)
    list(APPEND faults "${path}: the table says \"${package}\", not \"${expected}\"")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
if(faults)
  list(JOIN faults "\n  " faults)
  message(FATAL_ERROR "The build's checks are wrong:\n  ${faults}")
endif()
