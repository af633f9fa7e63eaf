# Install rules and CPack packages.
#
# Windows builds install what a modeller user downloads: vexolin.dll with
# README.txt, LICENSE and CHANGELOG.md, side by side at the top of the
# archive; CPack packs them into vexolin-<version>-win32.zip (or -win64).
#
# Linux builds with the command-line tool install the stand-in host:
#   <prefix>/bin/vexolin-run
#   <prefix>/lib/libstandin_host.so      (found through RPATH $ORIGIN/../lib)
#   <prefix>/lib/vexolin/vexolin.so      (found by vexolin-run relative to itself)
#   <prefix>/share/doc/vexolin/          (LICENSE, CHANGELOG.md)
# and CPack makes a .deb of that tree.

# README.txt names the version; Windows users get Windows line ends.
if(WIN32)
  set(readme_newlines CRLF)
else()
  set(readme_newlines UNIX)
endif()
configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt.in ${PROJECT_BINARY_DIR}/packaging/README.txt
  @ONLY NEWLINE_STYLE ${readme_newlines})
set(VEXOLIN_PACKAGE_FILES
  ${PROJECT_BINARY_DIR}/packaging/README.txt
  ${PROJECT_SOURCE_DIR}/LICENSE
  ${PROJECT_SOURCE_DIR}/CHANGELOG.md)

if(WIN32)
  install(TARGETS vexolin LIBRARY DESTINATION . COMPONENT plugin)
  install(FILES ${VEXOLIN_PACKAGE_FILES} DESTINATION . COMPONENT plugin)
elseif(VEXOLIN_BUILD_STANDIN AND VEXOLIN_BUILD_CLI AND TARGET vexolin-run)
  set_target_properties(vexolin-run PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
  install(TARGETS vexolin-run RUNTIME DESTINATION bin COMPONENT standin)
  install(TARGETS standin_host LIBRARY DESTINATION lib COMPONENT standin)
  install(TARGETS vexolin LIBRARY DESTINATION lib/vexolin COMPONENT standin)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    DESTINATION share/doc/vexolin COMPONENT standin)

  # The installed tree works on its own: installed, moved elsewhere, and run
  # on a sample mesh without the build folder.
  find_program(VEXOLIN_BASH bash REQUIRED)
  add_test(NAME install_tree_runs_vexolin_run
    COMMAND ${VEXOLIN_BASH} ${PROJECT_SOURCE_DIR}/tests/install/install_tree_test.sh
            ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}/samples/roof.obj)
endif()

set(CPACK_PACKAGE_NAME vexolin)
set(CPACK_PACKAGE_VENDOR "The Vexolin developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION} for a 3D polygon modeller")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_PACKAGE_FILE_NAME vexolin-${PROJECT_VERSION}-win32)
  else()
    set(CPACK_PACKAGE_FILE_NAME vexolin-${PROJECT_VERSION}-win64)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vexolin developers")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "stand-in host that runs the ${PROJECT_DESCRIPTION} on OBJ meshes\n vexolin-run loads the Vexolin plug-in module the way the modeller does,\n runs one of its selection commands on OBJ meshes and writes the\n selection as text, JSON and pictures.")
endif()

# Archives carry each file's time and permissions. Before packing, the staged
# files get the commit's date (SOURCE_DATE_EPOCH) and fixed permissions, so
# that the archive depends on the commit alone; the ZIP is then re-created
# with its entries sorted and without the packer's user IDs.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/packaging_normalise.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/packaging_repack_zip.cmake)

include(CPack)
