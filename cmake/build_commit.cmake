# Writes OUT, a header that defines K470_BUILD_COMMIT: the commit of the source tree SRC
# when it is a git checkout, else an empty text. Run at every build; the header is
# rewritten only when the commit changes, so that only the file that uses it is rebuilt.
set(commit "")
find_program(K470_GIT git)
if(K470_GIT)
  execute_process(COMMAND ${K470_GIT} -C ${SRC} rev-parse --short=10 HEAD
    OUTPUT_VARIABLE found RESULT_VARIABLE failed ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT failed)
    set(commit "${found}")
  endif()
endif()
set(text "// Made by cmake/build_commit.cmake at build time.\n#define K470_BUILD_COMMIT \"${commit}\"\n")
set(old "")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUT} "${text}")
endif()
