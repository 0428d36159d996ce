# The viewer launch: the code linked into a test program with the viewer start recorded
# (launch_test).
add_library(launch_fixture STATIC ${CMAKE_CURRENT_LIST_DIR}/launch_fixture.cpp)
target_link_libraries(launch_fixture PUBLIC vmxtool_core vmx_test_support gtest)

add_executable(launch_test ${CMAKE_CURRENT_LIST_DIR}/launch_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/launch_faults_test.cpp)
target_link_libraries(launch_test PRIVATE launch_fixture gtest_main)
vmx_add_wine_test(launch_test)
