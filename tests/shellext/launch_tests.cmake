# The viewer launch: the code linked into a test program with the viewer start recorded
# (launch_test), and the built DLL starting a recording stand-in for the viewer, or the
# real viewer, for real (launch_process_test).
add_library(launch_fixture STATIC ${CMAKE_CURRENT_LIST_DIR}/launch_fixture.cpp)
target_include_directories(launch_fixture PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(launch_fixture PUBLIC vmxtool_core vmx_test_support gtest)

add_executable(launch_test ${CMAKE_CURRENT_LIST_DIR}/launch_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/launch_faults_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/launch_invoke_test.cpp)
target_link_libraries(launch_test PRIVATE launch_fixture gtest_main)
vmx_add_wine_test(launch_test)

# Records how it was started; the test copies it beside a copy of the DLL as vmxtool.exe.
add_executable(recording_viewer WIN32 ${CMAKE_CURRENT_LIST_DIR}/recording_viewer.cpp)

# The real viewer too, on names outside the code page of the one system or the other.
add_executable(launch_process_test ${CMAKE_CURRENT_LIST_DIR}/launch_process_test.cpp)
target_link_libraries(launch_process_test PRIVATE launch_fixture gtest_main)
target_compile_definitions(launch_process_test PRIVATE
  VMX_VIEWER_STAND_IN_FILE="$<TARGET_FILE:recording_viewer>"
  VMX_VIEWER_FILE="$<TARGET_FILE:vmxtool_viewer>"
  VMX_DLL_FILE="$<TARGET_FILE:vmxtool>")
add_dependencies(launch_process_test recording_viewer vmxtool_viewer vmxtool)
vmx_add_wine_test(launch_process_test LANGS fr ja DISPLAY)
