# The include check of the layers (cmake/CheckIncludes.cmake) over small files: it lets a file include
# its own layer's headers, a bare name and the layers below, and refuses an include of a layer above;
# then the same over the real table of cmake/Layers.cmake for the stand-ins that share a layer.
#   -DCHECK=<cmake/CheckIncludes.cmake>  -DLAYERS=<cmake/Layers.cmake>  -DWORKDIR=<scratch folder>
file(REMOVE_RECURSE ${WORKDIR})
file(WRITE ${WORKDIR}/components/Good.cpp
     "#include \"components/Good.h\"\n#include \"Good.h\"\n#include <vector>\n#include \"classlib/rtl/sysutils.h\"\n")
file(WRITE ${WORKDIR}/components/Bad.cpp "#include \"components/Good.h\"\n  #  include \"framework/RadicalCF.h\"\n")
function(run_check file result output)
  file(WRITE ${WORKDIR}/listing "layer components\nallow components\nallow classlib/rtl\nfile ${file}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DLISTING=${WORKDIR}/listing -DSOURCE_DIR=${WORKDIR}
                          -DSTAMP=${WORKDIR}/stamp -P ${CHECK}
                  RESULT_VARIABLE code ERROR_VARIABLE err)
  set(${result} ${code} PARENT_SCOPE)
  set(${output} "${err}" PARENT_SCOPE)
endfunction()

run_check(${WORKDIR}/components/Good.cpp code err)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "the allowed includes were refused:\n${err}")
endif()
run_check(${WORKDIR}/components/Bad.cpp code err)
if(code EQUAL 0 OR NOT err MATCHES "components/Bad.cpp: #include \"framework/RadicalCF.h\"")
  message(FATAL_ERROR "the include of a layer above passed (${code}):\n${err}")
endif()

# The table itself (cmake/Layers.cmake): the work centre and the application server reach each other
# only through the layer they share, never through each other's units.
include(${LAYERS})
function(check_layer layer file text expectRefused)
  file(WRITE ${WORKDIR}/${file} "${text}")
  get_property(allowed GLOBAL PROPERTY KVR_LAYER_${layer}_ALLOWED)
  set(listing "layer ${layer}\n")
  foreach(prefix ${allowed})
    string(APPEND listing "allow ${prefix}\n")
  endforeach()
  file(WRITE ${WORKDIR}/listing "${listing}file ${WORKDIR}/${file}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DLISTING=${WORKDIR}/listing -DSOURCE_DIR=${WORKDIR}
                          -DSTAMP=${WORKDIR}/stamp -P ${CHECK}
                  RESULT_VARIABLE code ERROR_VARIABLE err)
  if(expectRefused AND code EQUAL 0)
    message(FATAL_ERROR "layer ${layer}: ${file} passed, but must be refused")
  elseif(NOT expectRefused AND NOT code EQUAL 0)
    message(FATAL_ERROR "layer ${layer}: ${file} was refused:\n${err}")
  endif()
endfunction()
foreach(layer workcenter appserver)
  check_layer(${layer} standins/${layer}/Shared.cpp
              "#include \"standins/shared/catalogue.h\"\n#include \"classlib/db/db.h\"\n" FALSE)
endforeach()
check_layer(workcenter standins/workcenter/Server.cpp "#include \"standins/appserver/rarer1.h\"\n" TRUE)
check_layer(appserver standins/appserver/Host.cpp "#include \"standins/workcenter/wcstate.h\"\n" TRUE)
check_layer(shared standins/shared/Up.cpp "#include \"standins/appserver/providers.h\"\n" TRUE)
check_layer(host apps/kvrhost/Server.cpp "#include \"standins/appserver/rarer1.h\"\n" TRUE)
check_layer(host apps/kvrhost/Config.cpp "#include \"standins/shared/serverconfig.h\"\n" FALSE)
