# Fails when the committed Windows icon differs from what the icon tool draws
# today. Run with -DTOOL=<write-icons> -DCOMMITTED=<.ico> -DOUT=<scratch file>.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${TOOL} --ico ${OUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the icon tool failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${COMMITTED} RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${COMMITTED} is not what the icon tool draws today; regenerate it with\n"
                      "  ${TOOL} --ico ${COMMITTED}")
endif()
