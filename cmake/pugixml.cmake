# pugixml (the stand-in host's settings store) for builds that cannot use
# Debian's library, which is built for 64-bit Linux only: the cross builds
# and the 32-bit build compile it from Debian's source package, fetched into
# VEXOLIN_PUGIXML_SOURCE_DIR by scripts/fetch-pugixml-source.sh when missing.
set(VEXOLIN_PUGIXML_SOURCE_DIR "" CACHE PATH
  "pugixml sources to build with the project instead of the installed library")
if(NOT VEXOLIN_PUGIXML_SOURCE_DIR OR NOT VEXOLIN_BUILD_STANDIN)
  return()
endif()
if(NOT EXISTS "${VEXOLIN_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-pugixml-source.sh ${VEXOLIN_PUGIXML_SOURCE_DIR}
    RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0 OR NOT EXISTS "${VEXOLIN_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
    message(FATAL_ERROR "No pugixml sources in ${VEXOLIN_PUGIXML_SOURCE_DIR}, and fetching them failed")
  endif()
endif()

add_library(pugixml STATIC EXCLUDE_FROM_ALL ${VEXOLIN_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
target_include_directories(pugixml SYSTEM PUBLIC ${VEXOLIN_PUGIXML_SOURCE_DIR}/src)
add_library(pugixml::pugixml ALIAS pugixml)
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/find)
