# cmake -DIN=<UTF-8 text> -DOUT=<file> -P text_cp932.cmake
# Writes IN to OUT in code page 932 with CR LF line ends (a text file for Windows users).
execute_process(COMMAND iconv -f UTF-8 -t CP932 ${IN}
  OUTPUT_VARIABLE text RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "text_cp932: ${IN} does not convert to code page 932")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUT} "${text}")
