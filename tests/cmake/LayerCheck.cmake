# The include check of the layers (cmake/CheckIncludes.cmake) over two small files: it lets a file include
# its own layer's headers, a bare name and the layers below, and refuses an include of a layer above.
#   -DCHECK=<cmake/CheckIncludes.cmake>  -DWORKDIR=<scratch folder>
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
