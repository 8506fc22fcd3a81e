# embed_file(TARGET NAME PATH): at build time, turns the file at PATH into the
# constant byte array NAME (with NAME_size, its exact length) compiled into TARGET.
set(INVITATION_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake)

function(embed_file target name path)
  set(out ${CMAKE_BINARY_DIR}/embedded/${name}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${path} -DNAME=${name} -DOUTPUT=${out} -P ${INVITATION_EMBED_SCRIPT}
    DEPENDS ${path} ${INVITATION_EMBED_SCRIPT}
    COMMENT "Embedding ${name}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
