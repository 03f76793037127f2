# cmake -DDIST=<dist folder> -DZIP=<zip file> -DTOP=<top folder> -DSTAGE=<scratch folder>
#       -DFILES=<a;b;c> -P pack_zip.cmake
# Packs the listed files of DIST (paths relative to it) into ZIP below one top folder TOP,
# so that the zip unpacks into TOP\ and not loose into the current folder. The files are
# staged under STAGE/TOP first; a missing file fails.
foreach(f IN LISTS FILES)
  if(NOT EXISTS ${DIST}/${f})
    message(FATAL_ERROR "package: ${DIST}/${f} is missing")
  endif()
endforeach()
file(REMOVE_RECURSE ${STAGE})
set(entries "")
foreach(f IN LISTS FILES)
  get_filename_component(folder ${f} DIRECTORY)
  file(COPY ${DIST}/${f} DESTINATION ${STAGE}/${TOP}/${folder})
  list(APPEND entries ${TOP}/${f})
endforeach()
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip -- ${entries}
  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "package: packing ${ZIP} failed")
endif()
