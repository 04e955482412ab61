# The arm64 DLL, read without running it: its machine, exports, imports and resources, the
# last two against the x64 DLL of ORVANE_X64_BUILD (its start-up sections and thread-local
# storage are checked as it links).
add_test(NAME Shipped.Arm64Image
         COMMAND ${CMAKE_COMMAND} -DREADOBJ=${ORVANE_READOBJ} -DDLL=$<TARGET_FILE:Orvane>
                 -DREFERENCE=${ORVANE_X64_BUILD}/bin/Orvane.dll
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/Arm64Image.cmake)

# Where an arm64 Debian tree with Wine lies (ORVANE_ARM64_ROOT, made by scripts/arm64-root.sh),
# the DLL also runs there under qemu-user: the only place it has run.
set(ORVANE_ARM64_ROOT "" CACHE PATH "A Debian arm64 tree with Wine (scripts/arm64-root.sh)")
if(EXISTS "${ORVANE_ARM64_ROOT}/usr/lib/wine/wine64")
  add_test(NAME Arm64Wine.ScriptClient
           COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/arm64-wine.sh ${ORVANE_ARM64_ROOT}
                   ${CMAKE_COMMAND} -DROOT=${ORVANE_ARM64_ROOT} -DDLL=$<TARGET_FILE:Orvane>
                   -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples -DPROGID=${ORVANE_PROGID}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/Arm64Wine.cmake)
  set_tests_properties(Arm64Wine.ScriptClient PROPERTIES TIMEOUT 900)
endif()
