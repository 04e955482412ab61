# cmake -DMAP=<link map> -P CheckLinkMap.cmake
cmake_minimum_required(VERSION 3.25)
# Fails when the linker took anything of the C++ exception runtime into the binary: a member
# of libstdc++, libsupc++ or libgcc_eh, or an exception table of any object.
file(READ "${MAP}" map)
string(REGEX MATCHALL "[^ \n(]*lib(stdc\\+\\+|supc\\+\\+|gcc_eh)\\.a\\([^)]+\\)" members "${map}")
list(REMOVE_DUPLICATES members)
string(REGEX MATCHALL "\n \\.gcc_except_table[ \n]+0x[0-9a-f]+ +0x[0-9a-f]+ [^\n]+" tables "${map}")
if(members OR tables)
  list(JOIN members "\n  " members)
  list(JOIN tables "" tables)
  message(FATAL_ERROR "${MAP}: exception runtime linked in\n  ${members}${tables}")
endif()
message(STATUS "${MAP}: no exception runtime, no exception tables")
