# gyrelle_embed_resources(TARGET NAME name FILES id file [id file ...])
#
# Compiles the given files into TARGET as byte arrays registered with the
# panel toolkit's resource registry under the given numeric ids (found at run
# time with findPanelResource / PanelBitmap). Nothing is read from disk at run
# time. The generated object registers itself while the library loads; a
# linker option keeps it in every program or plug-in that links TARGET, even
# though nothing refers to it by name.
set(GYRELLE_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake)

function(gyrelle_embed_resources target)
  cmake_parse_arguments(E "" "NAME" "FILES" ${ARGN})
  if(NOT E_NAME)
    set(E_NAME ${target})
  endif()
  string(MAKE_C_IDENTIFIER "${E_NAME}" ident)
  list(LENGTH E_FILES n)
  math(EXPR odd "${n} % 2")
  if(n EQUAL 0 OR odd)
    message(FATAL_ERROR "gyrelle_embed_resources: FILES takes pairs of id and file")
  endif()
  set(ids "")
  set(files "")
  set(deps "")
  math(EXPR last "${n} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET E_FILES ${i} id)
    list(GET E_FILES ${j} file)
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND ids ${id})
    list(APPEND files ${file})
    list(APPEND deps ${file})
  endforeach()
  string(REPLACE ";" "," ids_arg "${ids}")
  string(REPLACE ";" "|" files_arg "${files}")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${ident}_resources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} -DIDENT=${ident} "-DIDS=${ids_arg}" "-DFILES=${files_arg}"
            -P ${GYRELLE_EMBED_SCRIPT}
    DEPENDS ${deps} ${GYRELLE_EMBED_SCRIPT}
    COMMENT "Embedding panel resources of ${E_NAME}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_link_options(${target} INTERFACE "LINKER:--undefined=gyrelle_resources_${ident}")
endfunction()
