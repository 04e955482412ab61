# orvane_add_idl(<target> <file.idl> INCLUDES <dirs...> DEPENDS <files...>)
# Generates <name>.h and <name>_i.c from an IDL file with widl (mingw) or midl (MSVC) and
# wraps them in a static library <target> that carries the header's directory (also as its
# property ORVANE_GENERATED). The IDL is named relative to its own folder, so the generated
# files, which ship, hold no build path.
function(orvane_add_idl target idl)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "INCLUDES;DEPENDS")
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(idl ${idl} ABSOLUTE)
  get_filename_component(idl_dir ${idl} DIRECTORY)
  get_filename_component(idl_name ${idl} NAME)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/idl)
  set(header ${out}/${name}.h)
  set(iids ${out}/${name}_i.c)
  set(includes)
  foreach(dir IN LISTS arg_INCLUDES)
    get_filename_component(dir ${dir} ABSOLUTE)
    list(APPEND includes -I ${dir})
  endforeach()

  if(MSVC)
    set(command midl /nologo ${includes} /h ${header} /iid ${iids} /tlb ${out}/${name}.midl.tlb ${idl_name})
  else()
    set(command ${ORVANE_WIDL} ${includes} -h -H ${header} -u -U ${iids} ${idl_name})
  endif()

  add_custom_command(
    OUTPUT ${header} ${iids}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${command}
    WORKING_DIRECTORY ${idl_dir}
    DEPENDS ${idl} ${arg_DEPENDS}
    COMMENT "Generating ${name}.h from ${name}.idl"
    VERBATIM)

  add_library(${target} STATIC ${iids} ${header})
  target_include_directories(${target} PUBLIC ${out})
  set_target_properties(${target} PROPERTIES ORVANE_GENERATED ${out})
endfunction()
