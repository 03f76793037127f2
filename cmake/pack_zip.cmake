# cmake -DDIST=<dist folder> -DZIP=<zip file> -DFILES=<a;b;c> -P pack_zip.cmake
# Packs the listed files of DIST (paths relative to it) into ZIP; a missing file fails.
foreach(f IN LISTS FILES)
  if(NOT EXISTS ${DIST}/${f})
    message(FATAL_ERROR "package: ${DIST}/${f} is missing")
  endif()
endforeach()
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip -- ${FILES}
  WORKING_DIRECTORY ${DIST} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "package: packing ${ZIP} failed")
endif()
