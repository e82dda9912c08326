# The module's own code (subsystems 1 to 5) is compiled once into an object library; the plug-in
# and the tests of those layers link the same objects.
file(GLOB_RECURSE KVR_MODULE_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/components/*.cpp
  ${PROJECT_SOURCE_DIR}/foundation/*.cpp
  ${PROJECT_SOURCE_DIR}/framework/*.cpp
  ${PROJECT_SOURCE_DIR}/dialogs/*.cpp
  ${PROJECT_SOURCE_DIR}/programs/*.cpp)
# The controller and the document form stand on the user-interface layer's forms: until that layer is
# in the tree they, the plug-in, the host and their tests are left out of the build.
if(EXISTS ${PROJECT_SOURCE_DIR}/classlib/controls/forms.h)
  set(KVR_HAVE_FORMS ON)
else()
  set(KVR_HAVE_FORMS OFF)
  message(STATUS "No classlib/controls/forms.h yet: the controller, KVRX58C and kvrhost are not built")
  list(FILTER KVR_MODULE_SOURCES EXCLUDE REGEX "/framework/(DLLBaseCtrller|DLLMTCtrller|RadicalCF|Brokers)\\.cpp$|/programs/")
endif()
if(KVR_MODULE_SOURCES)
  add_library(kvrmodule OBJECT ${KVR_MODULE_SOURCES})
  target_link_libraries(kvrmodule PUBLIC classlib LibXml2::LibXml2)
endif()
