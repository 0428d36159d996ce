# The list file written through its block of memory, also when the heap has none to give.
add_executable(launch_list_block_test ${CMAKE_CURRENT_LIST_DIR}/launch_list_block_test.cpp)
target_link_libraries(launch_list_block_test PRIVATE launch_fixture gtest_main)
vmx_add_wine_test(launch_list_block_test)
