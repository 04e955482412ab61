# cmake -DREADOBJ=<llvm-readobj> -DSYMBOLIZER=<llvm-symbolizer> -DDLL=<dll, its PDB beside it>
#       -P GuardTargets.cmake
# Control Flow Guard's table in the DLL lists every function that others call through a
# pointer: the exports, each COM method of the class and its factory, the creation routine
# the factory calls through its table. Each entry is named through the PDB.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${READOBJ} --coff-load-config ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed OR NOT dump MATCHES "GuardFidTable \\[([^]]*)\\]")
  message(FATAL_ERROR "${DLL}: no table of guarded call targets")
endif()
string(REGEX MATCHALL "0x[0-9A-Fa-f]+" addresses "${CMAKE_MATCH_1}")
list(LENGTH addresses count)
execute_process(COMMAND ${SYMBOLIZER} --obj=${DLL} --functions=short --no-inlines ${addresses}
                OUTPUT_VARIABLE names RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${SYMBOLIZER} could not read ${DLL}")
endif()
string(REGEX MATCHALL "\n\\?\\?\n" unnamed "\n${names}")

# The symbolizer prints each address's function, then its source line. The expected names,
# each a whole line, after its namespaces.
set(expected
  DllCanUnloadNow DllGetClassObject DllInstall DllRegisterServer DllUnregisterServer
  clsRegistry::QueryInterface clsRegistry::AddRef clsRegistry::Release
  clsRegistry::GetTypeInfoCount clsRegistry::GetTypeInfo clsRegistry::GetIDsOfNames
  clsRegistry::Invoke clsRegistry::KeyExist clsRegistry::GetClassInfoW
  clsRegistry::CreateInstance
  ClassFactory::QueryInterface ClassFactory::AddRef ClassFactory::Release
  ClassFactory::CreateInstance ClassFactory::LockServer)
set(missing)
foreach(name IN LISTS expected)
  if(NOT "\n${names}" MATCHES "\n([^\n]*::)?${name}\n")
    list(APPEND missing "${name}")
  endif()
endforeach()
if(unnamed)
  list(LENGTH unnamed n)
  list(APPEND missing "a name for every entry (${n} have none in the PDB)")
endif()
if(missing)
  list(JOIN missing "\n  " missing)
  message(FATAL_ERROR "${DLL}: ${count} guarded call targets, not:\n  ${missing}\nThey are:\n${names}")
endif()
list(LENGTH expected n)
message(STATUS "${DLL}: ${count} guarded call targets, the ${n} expected among them")
