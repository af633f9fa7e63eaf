# find_package(pugixml) for builds that compile pugixml from source
# (cmake/pugixml.cmake): the target exists already.
if(TARGET pugixml::pugixml)
  set(pugixml_FOUND TRUE)
else()
  set(pugixml_FOUND FALSE)
  if(pugixml_FIND_REQUIRED)
    message(FATAL_ERROR "pugixml target is missing: set VEXOLIN_PUGIXML_SOURCE_DIR")
  endif()
endif()
