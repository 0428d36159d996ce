# cmake -DSOURCE_DIR=<source> -DBINARY_DIR=<64-bit build folder> -P build-x64-parts.cmake
# Configures the 64-bit build folder as its preset does, if it is not yet, and builds the
# parts that the 32-bit build takes from it.
if(NOT EXISTS ${BINARY_DIR}/CMakeCache.txt)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/toolchain-x86_64.cmake
            -DCMAKE_BUILD_TYPE=Release
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring the 64-bit build in ${BINARY_DIR} failed")
  endif()
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target vmxtool vmxtool_viewer shell_host
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "building the 64-bit parts in ${BINARY_DIR} failed")
endif()
