# The Windows package: dist/ holds the program as it is installed; the zip beside it packs
# exactly the installed files, below one top folder named like the zip. Included at the end
# of the root CMakeLists.txt, when every target that stages something into dist/ is known.
set(K470_PACKAGE_FILES K470Loader.exe k470.exe bin/fw.dat help/help.html
  help/help_ja.html)
list(APPEND K470_PACKAGE_FILES README.txt)
set(K470_PACKAGE_NAME K470Loader-${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}0)
set(K470_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${K470_PACKAGE_NAME}.zip)

add_custom_target(k470_package ALL
  COMMAND ${CMAKE_COMMAND} -DDIST=${K470_DIST_DIR} -DZIP=${K470_PACKAGE_ZIP}
          -DTOP=${K470_PACKAGE_NAME} -DSTAGE=${CMAKE_BINARY_DIR}/package
          "-DFILES=${K470_PACKAGE_FILES}" -P ${PROJECT_SOURCE_DIR}/cmake/pack_zip.cmake
  COMMENT "Packing ${K470_PACKAGE_ZIP}"
  VERBATIM)
# The zip's layout (built with everything, so it exists when the tests run).
add_test(NAME package_zip_layout
  COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/package_check.py ${K470_PACKAGE_ZIP}
          "${K470_PACKAGE_FILES}")
set_tests_properties(package_zip_layout PROPERTIES TIMEOUT 30)
get_property(k470_dist_targets GLOBAL PROPERTY K470_DIST_TARGETS)
if(k470_dist_targets)
  add_dependencies(k470_package ${k470_dist_targets})
endif()
