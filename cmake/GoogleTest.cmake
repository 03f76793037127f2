# GoogleTest: the system package natively; for the Windows build it is compiled from the
# sources of Debian's googletest package, since nothing is downloaded at build time.
if(WIN32)
  set(K470_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # The sources are third-party code: keep our warning flags off them.
  add_subdirectory(${K470_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -w -Wno-error)
    endif()
  endforeach()
  # The sources' own build defines the GTest:: aliases.
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
