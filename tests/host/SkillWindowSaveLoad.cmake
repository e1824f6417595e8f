# Runs gamehost with --save, then with --load on that save, and compares the skill window
# the first run printed with the one the character read back prints. Then saves where the
# character or its tokens cannot be written: a save onto a folder is refused before the run
# plays, one whose tokens cannot be written fails at the end, and the files already there
# stay as they were.
foreach(var GAMEHOST SAVE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not given")
  endif()
endforeach()

function(window_of args out)
  execute_process(COMMAND "${GAMEHOST}" ${args} RESULT_VARIABLE result OUTPUT_VARIABLE text ERROR_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gamehost ${args} failed (${result})")
  endif()
  # The window's own semicolons and brackets would split or join list entries.
  string(REPLACE ";" "," text "${text}")
  string(REPLACE "[" "<" text "${text}")
  string(REPLACE "]" ">" text "${text}")
  string(REGEX MATCHALL "skills: (window|tooltip)[^\n]*" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

window_of("--save;${SAVE}" saved)
window_of("--load;${SAVE}" loaded)
list(LENGTH saved count)
if(count EQUAL 0)
  message(FATAL_ERROR "the saving run printed no skill window")
endif()
# The loaded character's window comes first; the run then plays and prints its own.
list(LENGTH loaded loadedCount)
if(loadedCount LESS count)
  message(FATAL_ERROR "the loaded character's window is short:\n${loaded}")
endif()
list(SUBLIST loaded 0 ${count} loaded)
if(NOT saved STREQUAL loaded)
  string(REPLACE ";" "\n" saved "${saved}")
  string(REPLACE ";" "\n" loaded "${loaded}")
  message(FATAL_ERROR "the windows differ:\nsaved:\n${saved}\nloaded:\n${loaded}")
endif()
message(STATUS "${count} lines of the skill window read back alike")

set(folder "${SAVE}.folder")
file(REMOVE_RECURSE "${folder}" "${folder}.tokens")
file(MAKE_DIRECTORY "${folder}")
file(WRITE "${folder}.tokens" "old")
execute_process(COMMAND "${GAMEHOST}" --save "${folder}" --frames 1 --quiet RESULT_VARIABLE result
                OUTPUT_VARIABLE printed ERROR_VARIABLE text)
file(READ "${folder}.tokens" tokens)
file(GLOB beside "${folder}.*")
if(NOT result EQUAL 2 OR NOT printed STREQUAL "" OR NOT text MATCHES "^gamehost: --save [^\n]*: is a folder, not a file\n$" OR
   NOT tokens STREQUAL "old" OR NOT beside STREQUAL "${folder}.tokens")
  message(FATAL_ERROR "a save into a folder (${result}) changed the pair: tokens \"${tokens}\", files ${beside}\n${text}")
endif()
# The character could be written but not its tokens: the run is refused at the start, and
# neither is written.
set(pair "${SAVE}.pair")
file(REMOVE_RECURSE "${pair}" "${pair}.tokens")
file(WRITE "${pair}" "old")
file(MAKE_DIRECTORY "${pair}.tokens")
execute_process(COMMAND "${GAMEHOST}" --save "${pair}" --frames 1 --quiet RESULT_VARIABLE result
                OUTPUT_VARIABLE printed ERROR_VARIABLE text)
file(READ "${pair}" character)
if(NOT result EQUAL 2 OR NOT printed STREQUAL "" OR NOT text MATCHES "^gamehost: --save [^\n]*: [^\n]*tokens is a folder, not a file\n$" OR
   NOT character STREQUAL "old")
  message(FATAL_ERROR "a save whose tokens cannot be written (${result}) changed the character: \"${character}\"\n${text}")
endif()
