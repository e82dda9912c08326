# The layers of ARCHITECTURE.md, bottom up: each layer's folders and the layers it stands on. A file of a
# layer may include the headers of its own folders and of the layers below it along these lines, nothing
# else. Every #include names a path from the project root, so linking a target only to the layers below
# it does not stop a wrong include by itself: kvr_check_includes checks the #include lines of a target's
# files as part of the build, before the target compiles, and a wrong one fails the build.
#
#   kvr_layer(<name> FOLDERS <folder>... [STANDS_ON <layer>...] [ALLOWS <path>...])
#       ALLOWS: headers of other folders that the layer may include too (an exception, named as such)
#   kvr_layer_sources(<layer> <var>)       every .cpp/.cc/.c below the layer's folders (globbed, so new
#                                          files are picked up without editing a CMake file)
#   kvr_layer_below(<layer> <var>)         the layers it stands on, directly or through others
#   kvr_check_includes(<target> <layer> [FOLDERS <folder>...])
#       checks every source and header below FOLDERS (default: the layer's folders) before <target>
#       compiles

set(KVR_INCLUDE_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckIncludes.cmake)

function(kvr_layer name)
  cmake_parse_arguments(L "" "" "FOLDERS;STANDS_ON;ALLOWS" ${ARGN})
  set(allowed ${L_FOLDERS} ${L_ALLOWS})
  set(below "")
  foreach(lower ${L_STANDS_ON})
    get_property(known GLOBAL PROPERTY KVR_LAYER_${lower}_FOLDERS SET)
    if(NOT known)
      message(FATAL_ERROR "layer ${name} stands on ${lower}, which is not declared below it")
    endif()
    get_property(lowerAllowed GLOBAL PROPERTY KVR_LAYER_${lower}_ALLOWED)
    get_property(lowerBelow GLOBAL PROPERTY KVR_LAYER_${lower}_BELOW)
    list(APPEND allowed ${lowerAllowed})
    list(APPEND below ${lower} ${lowerBelow})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  list(REMOVE_DUPLICATES below)
  set_property(GLOBAL PROPERTY KVR_LAYER_${name}_FOLDERS ${L_FOLDERS})
  set_property(GLOBAL PROPERTY KVR_LAYER_${name}_ALLOWED ${allowed})
  set_property(GLOBAL PROPERTY KVR_LAYER_${name}_BELOW ${below})
endfunction()

function(kvr_layer_sources layer var)
  get_property(folders GLOBAL PROPERTY KVR_LAYER_${layer}_FOLDERS)
  set(sources "")
  foreach(folder ${folders})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp
         ${PROJECT_SOURCE_DIR}/${folder}/*.cc ${PROJECT_SOURCE_DIR}/${folder}/*.c)
    list(APPEND sources ${found})
  endforeach()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()

function(kvr_layer_below layer var)
  get_property(below GLOBAL PROPERTY KVR_LAYER_${layer}_BELOW)
  set(${var} ${below} PARENT_SCOPE)
endfunction()

function(kvr_check_includes target layer)
  cmake_parse_arguments(C "" "" "FOLDERS" ${ARGN})
  if(NOT C_FOLDERS)
    get_property(C_FOLDERS GLOBAL PROPERTY KVR_LAYER_${layer}_FOLDERS)
  endif()
  set(files "")
  foreach(folder ${C_FOLDERS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.h
         ${PROJECT_SOURCE_DIR}/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/${folder}/*.cc
         ${PROJECT_SOURCE_DIR}/${folder}/*.c)
    list(APPEND files ${found})
  endforeach()
  get_property(allowed GLOBAL PROPERTY KVR_LAYER_${layer}_ALLOWED)
  # What the check reads: the layer, what it may include, then the files (written only when it changes).
  set(listing "layer ${layer}\n")
  foreach(prefix ${allowed})
    string(APPEND listing "allow ${prefix}\n")
  endforeach()
  foreach(file ${files})
    string(APPEND listing "file ${file}\n")
  endforeach()
  set(dir ${PROJECT_BINARY_DIR}/layers)
  file(CONFIGURE OUTPUT ${dir}/${target}.includes CONTENT "${listing}")
  add_custom_command(OUTPUT ${dir}/${target}.checked
                     COMMAND ${CMAKE_COMMAND} -DLISTING=${dir}/${target}.includes -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                             -DSTAMP=${dir}/${target}.checked -P ${KVR_INCLUDE_CHECK_SCRIPT}
                     DEPENDS ${files} ${dir}/${target}.includes ${KVR_INCLUDE_CHECK_SCRIPT}
                     COMMENT "Checking the includes of ${target} (layer ${layer})"
                     VERBATIM)
  add_custom_target(${target}_includes DEPENDS ${dir}/${target}.checked)
  add_dependencies(${target} ${target}_includes)
endfunction()

# ---- the table ----
# The class library, a layer per folder, each standing on the one before it (so db may use automation).
kvr_layer(rtl FOLDERS classlib/rtl)
kvr_layer(objects FOLDERS classlib/objects STANDS_ON rtl)
kvr_layer(graphics FOLDERS classlib/graphics STANDS_ON objects)
kvr_layer(controls FOLDERS classlib/controls STANDS_ON graphics)
kvr_layer(automation FOLDERS classlib/automation STANDS_ON controls)
kvr_layer(db FOLDERS classlib/db STANDS_ON automation)
kvr_layer(dbctrls FOLDERS classlib/dbctrls STANDS_ON db)
# The stand-ins: the class library and each other, never module code. The application server and the
# work centre stand on a layer of their own below both (the session on the database, the catalogue,
# the message texts, the servers' configuration), never on each other's units.
kvr_layer(shared FOLDERS standins/shared STANDS_ON dbctrls)
kvr_layer(appserver FOLDERS standins/appserver STANDS_ON shared)
kvr_layer(workcenter FOLDERS standins/workcenter STANDS_ON shared)
# The other outside servers (pager, spreadsheet program) and what the programs of apps/ see: every
# stand-in.
kvr_layer(standins FOLDERS standins STANDS_ON dbctrls)
# The outside libraries that the module calls as libraries: the XML document object, the translator, the
# glyph library, the report library's spreadsheet filter and the lookup package. Every other outside
# server it reaches at run time through CreateOleObject only.
kvr_layer(outside FOLDERS standins/outside/xmldom standins/outside/qvlanguage standins/outside/glyphs
          standins/outside/xlsfilter standins/outside/vlpkgex STANDS_ON dbctrls)
# The module: components and foundation stand on the class library and the outside libraries alone;
# framework and dialogs use each other (one layer); programs stands on all.
kvr_layer(components FOLDERS components STANDS_ON outside)
kvr_layer(foundation FOLDERS foundation STANDS_ON outside)
kvr_layer(framework FOLDERS framework dialogs STANDS_ON components foundation)
kvr_layer(programs FOLDERS programs STANDS_ON framework)
# The programs of apps/: the class library and the stand-ins.
kvr_layer(apps FOLDERS apps STANDS_ON standins)
# The host itself: its work centre, the pager, the attachment dialog and the spreadsheet program it keeps
# in process and the controller's one shared declaration, through which it drives a module; not the
# application server's units (it reaches the server by name, as the module does).
kvr_layer(host FOLDERS apps/kvrhost STANDS_ON workcenter ALLOWS framework/DLLBaseCtrller.h standins/outside/pager
          standins/outside/attach standins/outside/excel)
