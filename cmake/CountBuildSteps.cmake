# Run by CTest (cmake -DNINJA=... -DBUILD_DIR=... -P CountBuildSteps.cmake): `make run` (the
# `game` target) builds no test or benchmark and fewer than half of the programs and libraries
# that `make test` (everything) builds. Read from the build tool's own list of commands, so the
# answer does not depend on what is built already.
foreach(target game all)
  execute_process(COMMAND ${NINJA} -C ${BUILD_DIR} -t commands ${target}
                  OUTPUT_VARIABLE commands RESULT_VARIABLE failed ERROR_VARIABLE error)
  if(failed)
    message(FATAL_ERROR "the build steps of '${target}' cannot be listed: ${error}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${commands}")
  list(LENGTH lines steps_${target})
  # A program or library is made by a link (-o bin/NAME) or an archive (ar qc lib/NAME.a).
  string(REGEX MATCHALL "-o bin/[^ ]+|qc [^ ]+\\.a" made "${commands}")
  list(REMOVE_DUPLICATES made)
  list(LENGTH made targets_${target})
  set(made_${target} "${made}")
endforeach()
message(STATUS "make run: ${targets_game} programs and libraries in ${steps_game} steps; "
               "make test: ${targets_all} in ${steps_all} steps")
foreach(made ${made_game})
  if(made MATCHES "(test|bench|fuzz|gtest|gmock)")
    message(FATAL_ERROR "make run builds ${made}")
  endif()
endforeach()
math(EXPR twice "${targets_game} * 2")
if(NOT twice LESS targets_all)
  message(FATAL_ERROR "make run builds ${targets_game} of ${targets_all} programs and libraries: not less than half")
endif()
