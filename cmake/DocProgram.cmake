# A document program of its own as a plug-in module, built like KVRX58C.so and driven by kvrhost:
#
#   kvr_doc_program(<module> SOURCES <file>... [LAYER <layer>] [SCRIPTS <folder>])
#
# <module> is the library's name without the ".so" (FWBASE01C gives the program ID FWBASE01, as the
# host reads it from the file name); its sources are the program's form, data module and main file
# (the one with KVR_LIBRARY_UNITS). LAYER names the module layer whose objects, with those of the
# layers below it, the library links (cmake/Module.cmake), framework by default; the programs layer
# is never one, as its objects hold KVRX58C's own main block. Every <folder>/<name>.kvs becomes a session
# test run twice against the demo database, in process and over TCP to a kvrserver of its own, and
# checked against <folder>/<name>.expect (tests/e2e/RunSession.cmake): e2e.<module>.<name>.inprocess
# and e2e.<module>.<name>.tcp; a <folder>/<name>.readback reads the database each left back
# (tests/e2e/readback.py): e2e.<module>.<name>.readback.inprocess and .tcp.
set(KVR_E2E_DIR ${CMAKE_CURRENT_LIST_DIR}/../tests/e2e)

function(kvr_doc_program name)
  cmake_parse_arguments(D "" "LAYER;SCRIPTS" "SOURCES" ${ARGN})
  if(NOT D_SOURCES)
    message(FATAL_ERROR "kvr_doc_program(${name}): SOURCES is required")
  endif()
  if(NOT D_LAYER)
    set(D_LAYER framework)
  endif()
  if(D_LAYER STREQUAL "programs" OR NOT TARGET kvrmodule_${D_LAYER})
    message(FATAL_ERROR "kvr_doc_program(${name}): no module layer '${D_LAYER}' to link")
  endif()
  add_library(${name} MODULE ${D_SOURCES})
  target_link_libraries(${name} PRIVATE kvrmodule_${D_LAYER} ${CMAKE_DL_LIBS})
  target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-fno-gnu-unique>)
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME ${name})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)

  if(NOT D_SCRIPTS OR NOT TARGET kvrhost OR NOT TARGET kvrserver)
    return()
  endif()
  get_filename_component(folder ${D_SCRIPTS} ABSOLUTE)
  file(GLOB scripts CONFIGURE_DEPENDS ${folder}/*.kvs)
  foreach(script ${scripts})
    get_filename_component(session ${script} NAME_WE)
    set(expect ${folder}/${session}.expect)
    set(work ${PROJECT_BINARY_DIR}/tests/e2e/${name}_${session})
    add_test(NAME e2e.${name}.${session}.inprocess
             COMMAND ${CMAKE_COMMAND} -DKVRHOST=$<TARGET_FILE:kvrhost> -DMODULE=$<TARGET_FILE:${name}>
                     -DSCRIPT=${script} -DEXPECT=${expect} -DWORKDIR=${work}
                     -P ${KVR_E2E_DIR}/RunSession.cmake)
    add_test(NAME e2e.${name}.${session}.tcp
             COMMAND ${KVR_E2E_DIR}/RunServed.sh $<TARGET_FILE:kvrserver> ${PROJECT_BINARY_DIR}/data
                     $<TARGET_FILE:kvrhost> $<TARGET_FILE:${name}> ${script} ${expect} ${work}_tcp)
    set_tests_properties(e2e.${name}.${session}.inprocess e2e.${name}.${session}.tcp PROPERTIES TIMEOUT 120)
    # A session with a <name>.readback reads the database file it left back afterwards.
    if(EXISTS ${folder}/${session}.readback)
      foreach(run inprocess tcp)
        set(db ${work}$<$<STREQUAL:${run},tcp>:_tcp>/demo.db)
        add_test(NAME e2e.${name}.${session}.readback.${run}
                 COMMAND /usr/bin/python3 ${KVR_E2E_DIR}/readback.py ${db} ${folder}/${session}.readback)
        set_tests_properties(e2e.${name}.${session}.${run} PROPERTIES FIXTURES_SETUP ${name}_${session}_${run})
        set_tests_properties(e2e.${name}.${session}.readback.${run} PROPERTIES
                             FIXTURES_REQUIRED ${name}_${session}_${run})
      endforeach()
    endif()
  endforeach()
endfunction()
