# The page with the languages' table in it:
#   cmake -DTOOL=korvada-page-texts.js -DPAGE=index.html -DOUT=build/index.html -P page_texts.cmake
# runs the table's tool (page_texts_tool.cpp) under node and puts what it
# prints in place of the page's marker.
set(marker "/*KORVADA_LANGUAGES*/[]")
execute_process(COMMAND node ${TOOL} OUTPUT_VARIABLE json RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT json MATCHES "^\\[")
  message(FATAL_ERROR "${TOOL} gave no table of languages (exit ${result})")
endif()
file(READ ${PAGE} page)
string(FIND "${page}" "${marker}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${PAGE} has no ${marker} for the table of languages")
endif()
string(REPLACE "${marker}" "${json}" page "${page}")
file(WRITE ${OUT} "${page}")
