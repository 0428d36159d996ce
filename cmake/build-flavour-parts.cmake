# cmake -DSOURCE_DIR=<source> -DFLAVOUR=<x86|x64> -DBINARY_DIR=<its build folder>
#       -DTARGETS=<a;b;...> -P build-flavour-parts.cmake
# Configures the other flavour's build folder as its preset does, if it is not yet, and
# builds the parts that this build takes from it.
if(FLAVOUR STREQUAL "x64")
  set(toolchain toolchain-x86_64.cmake)
else()
  set(toolchain toolchain-i686.cmake)
endif()
if(NOT EXISTS ${BINARY_DIR}/CMakeCache.txt)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/${toolchain}
            -DCMAKE_BUILD_TYPE=Release
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring the ${FLAVOUR} build in ${BINARY_DIR} failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target ${TARGETS}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "building ${TARGETS} in ${BINARY_DIR} failed")
endif()
