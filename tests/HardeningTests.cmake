# The hardening of the DLL that LLVM builds for shipping (cmake/LlvmHardening.cmake; the link
# itself fails when a property is missing): Control Flow Guard's table lists our call
# targets, read from outside; where this build runs its programs, the PDB names KeyExist
# through dbghelp and a smashed stack ends in the stack check, under Wine, which enforces
# neither the guard nor the check as Windows does.
add_test(NAME Shipped.GuardTargets
         COMMAND ${CMAKE_COMMAND} -DREADOBJ=${ORVANE_READOBJ} -DSYMBOLIZER=${ORVANE_SYMBOLIZER}
                 -DDLL=$<TARGET_FILE:Orvane> -P ${CMAKE_CURRENT_SOURCE_DIR}/scripts/GuardTargets.cmake)
if(ORVANE_NO_C_RUNTIME OR NOT CMAKE_CROSSCOMPILING_EMULATOR)
  return()
endif()

add_library(StackSmash SHARED hardening/StackSmash.cpp)
set_target_properties(StackSmash PROPERTIES PREFIX "")
orvane_lean(StackSmash)
orvane_shipped_dll(StackSmash)
add_executable(HardeningProbe hardening/HardeningProbe.cpp)
target_link_libraries(HardeningProbe PRIVATE orvane_idl dbghelp ole32 uuid)
target_link_options(HardeningProbe PRIVATE -municode)
add_dependencies(HardeningProbe Orvane StackSmash)
add_test(NAME Shipped.SymbolsThroughDbghelp
         COMMAND ${ORVANE_OWN_PREFIX} ${ORVANE_TEST_RUN} $<TARGET_FILE:HardeningProbe> symbol
                 $<TARGET_FILE_NAME:Orvane>)
add_test(NAME Shipped.SmashedStack
         COMMAND ${ORVANE_OWN_PREFIX} ${ORVANE_TEST_RUN} $<TARGET_FILE:HardeningProbe> smash
                 $<TARGET_FILE_NAME:StackSmash>)
