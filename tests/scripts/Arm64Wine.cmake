# cmake -DROOT=<arm64 root> -DDLL=<arm64 Orvane.dll> -DEXAMPLES=<examples folder>
#       -DPROGID=<ProgID> -P Arm64Wine.cmake, inside cmake/arm64-wine.sh
# The arm64 DLL under Debian's arm64 Wine (through qemu-user): registered by regsvr32, used by
# the arm64 script host, which creates it by ProgID and asks about a key that exists and one
# that does not, then unregistered without a trace.
cmake_minimum_required(VERSION 3.25)
string(RANDOM LENGTH 8 id)
set(dir /tmp/orvane-${id})
file(MAKE_DIRECTORY ${ROOT}${dir})
file(COPY ${DLL} ${EXAMPLES}/KeyExist.js DESTINATION ${ROOT}${dir})
set(wine chroot ${ROOT} /usr/bin/env HOME=/root WINEPREFIX=${dir}/prefix WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe= /usr/lib/wine/wine64)
string(REPLACE "/" "\\" windir "Z:${dir}")

# step(<expected exit> <out var> <program> <args...>)
function(step expected out_var)
  execute_process(COMMAND ${wine} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 600)
  string(REPLACE "\r" "" out "${out}")
  if(NOT status STREQUAL expected)
    file(REMOVE_RECURSE ${ROOT}${dir})
    message(FATAL_ERROR "${ARGN}: exit ${status}, not ${expected}\n${out}${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

step(0 ignored regsvr32 /s "${windir}\\Orvane.dll")
set(present "HKEY_CLASSES_ROOT\\${PROGID}")
set(absent "HKEY_CURRENT_USER\\Software\\No Such Key ${id}")
step(0 answers cscript //nologo "${windir}\\KeyExist.js" "${present}" "${absent}")
if(NOT answers STREQUAL "${present}: True\n${absent}: False\n")
  file(REMOVE_RECURSE ${ROOT}${dir})
  message(FATAL_ERROR "The arm64 script host's answers:\n${answers}")
endif()
step(0 ignored regsvr32 /s /u "${windir}\\Orvane.dll")
step(1 ignored reg query "HKCR\\${PROGID}")
execute_process(COMMAND chroot ${ROOT} /usr/bin/env WINEPREFIX=${dir}/prefix /usr/lib/wine/wineserver -k -w)
file(REMOVE_RECURSE ${ROOT}${dir})
message(STATUS "arm64 Wine: registered, ${answers}unregistered")
