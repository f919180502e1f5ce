# Runs a Qt Test under an emulator (Wine) on the offscreen platform:
#   cmake -DEMULATOR=wine -DTEST=test.exe -DLOG=test.log -P RunQtTest.cmake
# Wine does not hand QT_QPA_PLATFORM to the program, and a Qt Test's output
# does not reach the pipe ctest reads: the platform is given as an argument
# and the test logs to a file, shown afterwards. Fails as the test does.
file(REMOVE "${LOG}")
execute_process(COMMAND ${EMULATOR} "${TEST}" -platform offscreen -o "${LOG},txt" RESULT_VARIABLE result)
if(EXISTS "${LOG}")
  file(READ "${LOG}" text)
  string(REPLACE "\r" "" text "${text}")
  message("${text}")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TEST}: exit status ${result}")
endif()
