# The module's own code (subsystems 1 to 5): an object library per layer (cmake/Layers.cmake), each
# linked to the class library, the outside libraries and the module layers below it, and checked for
# its includes. kvrmodule_<layer> gives a target the objects of that layer and of the module layers
# below it (what the layer's tests link); kvrmodule gives the whole module's, which the plug-in
# KVRX58C.so (programs/kvrx58) and the benchmarks link.
set(KVR_MODULE_LAYERS components foundation framework programs)
foreach(layer ${KVR_MODULE_LAYERS})
  kvr_layer_sources(${layer} sources)
  add_library(kvr_${layer} OBJECT ${sources})
  target_link_libraries(kvr_${layer} PUBLIC classlib kvroutside)
  # No GNU unique symbols (the statics of inline functions and templates): the loader never unloads a
  # library that defines one, and the host unloads the module when it is done with it.
  target_compile_options(kvr_${layer} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-fno-gnu-unique>)
  # Nor the module's copies of inline functions (the outside libraries' inline members, the standard
  # templates over their types): an outside library that the host loads too would bind to them, and
  # that binding keeps the module loaded.
  target_compile_options(kvr_${layer} PRIVATE -fvisibility-inlines-hidden)
  kvr_check_includes(kvr_${layer} ${layer})
  add_library(kvrmodule_${layer} INTERFACE)
  target_link_libraries(kvrmodule_${layer} INTERFACE kvr_${layer})
  target_sources(kvrmodule_${layer} INTERFACE $<TARGET_OBJECTS:kvr_${layer}>)
  kvr_layer_below(${layer} lower)
  foreach(other ${lower})
    if(other IN_LIST KVR_MODULE_LAYERS)
      target_link_libraries(kvr_${layer} PUBLIC kvr_${other})
      target_sources(kvrmodule_${layer} INTERFACE $<TARGET_OBJECTS:kvr_${other}>)
    endif()
  endforeach()
endforeach()
add_library(kvrmodule ALIAS kvrmodule_programs)
