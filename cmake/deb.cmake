# The Debian package of the native build: `cmake --build --preset native --target package`
# (or cpack in build/native) makes k470_<version>_amd64.deb. The programs go to /usr/bin;
# their data (the device table, the simulator's write-control test image) to
# /usr/share/k470, where an installed k470 looks for them (base/program_folder_posix.cpp).
# Included at the end of the root CMakeLists.txt, after every target is known.
set(K470_PRODUCT_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}0)
set(K470_DOC_DIR share/doc/k470)

# Debian wants man pages and the changelog compressed with gzip -9n (no time stamp).
set(k470_gzipped)
foreach(source man/k470.1 man/k470sim.1 packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(out ${CMAKE_BINARY_DIR}/packaging/${name})
  add_custom_command(OUTPUT ${out}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${out}
    COMMAND gzip -9nf ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND k470_gzipped ${out}.gz)
endforeach()
add_custom_target(k470_deb_docs ALL DEPENDS ${k470_gzipped})

install(TARGETS k470 k470sim RUNTIME DESTINATION bin)
install(FILES flash/data/fw.dat flash/data/sim-write-control.mot DESTINATION share/k470)
install(FILES ${CMAKE_BINARY_DIR}/packaging/k470.1.gz ${CMAKE_BINARY_DIR}/packaging/k470sim.1.gz
  DESTINATION share/man/man1)
install(FILES packaging/k470.bash-completion DESTINATION share/bash-completion/completions
  RENAME k470)
install(FILES README.md packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${K470_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME k470)
set(CPACK_PACKAGE_VERSION ${K470_PRODUCT_VERSION})
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora <support@example.com>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.com/k470loader/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "load S-record images into K470 boards and H8 flash over a serial port
k470 puts a Motorola S-record (.mot) image into a target over a serial port:
into the RAM of a K470-family board (K470L, K471L, K472L) through its
resident monitor, or into the flash of a Renesas H8/3069 or H8/36077
microcontroller started in boot mode.
.
k470sim plays these targets on a pseudo-terminal, so that loads and
writes can be tried and tested without hardware.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
