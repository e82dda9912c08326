# The module's own code (subsystems 1 to 5) is compiled once into an object library; the plug-in
# and the tests of those layers link the same objects.
file(GLOB_RECURSE KVR_MODULE_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/components/*.cpp
  ${PROJECT_SOURCE_DIR}/foundation/*.cpp
  ${PROJECT_SOURCE_DIR}/framework/*.cpp
  ${PROJECT_SOURCE_DIR}/dialogs/*.cpp
  ${PROJECT_SOURCE_DIR}/programs/*.cpp)
if(KVR_MODULE_SOURCES)
  add_library(kvrmodule OBJECT ${KVR_MODULE_SOURCES})
  target_link_libraries(kvrmodule PUBLIC classlib xmldom vlpkgex LibXml2::LibXml2)
endif()
