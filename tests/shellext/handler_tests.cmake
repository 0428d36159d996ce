# Tests of the DLL's COM server and menu item: the core linked into test programs, the built
# vmxtool.dll loaded and created through COM, and its PE tables read on the host.
set(VMX_SHELLEXT_TESTS ${CMAKE_CURRENT_LIST_DIR})

add_library(vmx_handler_test_support STATIC ${VMX_SHELLEXT_TESTS}/handler_test_support.cpp)
target_link_libraries(vmx_handler_test_support PUBLIC vmxtool_core vmx_test_support)

# The server frame, the command and concurrent use.
add_executable(shellext_handler_test
  ${VMX_SHELLEXT_TESTS}/server_tests.cpp
  ${VMX_SHELLEXT_TESTS}/command_tests.cpp
  ${VMX_SHELLEXT_TESTS}/concurrency_tests.cpp)
target_link_libraries(shellext_handler_test PRIVATE vmx_handler_test_support gtest_main)
vmx_add_wine_test(shellext_handler_test)

# The selection and the drop list it is read from. Which names the ANSI code page holds
# depends on the system's language: every case runs in French and in Japanese.
add_executable(shellext_selection_test
  ${VMX_SHELLEXT_TESTS}/selection_tests.cpp
  ${VMX_SHELLEXT_TESTS}/drop_list_tests.cpp)
target_link_libraries(shellext_selection_test PRIVATE vmx_handler_test_support gtest_main)
vmx_add_wine_test(shellext_selection_test LANGS fr ja)

# Menu placement depends on the system's language: every case runs in French, Japanese and English.
add_executable(shellext_menu_test
  ${VMX_SHELLEXT_TESTS}/menu_tests.cpp
  ${VMX_SHELLEXT_TESTS}/menu_texts_tests.cpp)
target_link_libraries(shellext_menu_test PRIVATE vmx_handler_test_support gtest_main)
vmx_add_wine_test(shellext_menu_test LANGS fr ja en)

# The built DLL, loaded by path.
add_executable(shellext_dll_test ${VMX_SHELLEXT_TESTS}/dll_image_tests.cpp)
target_link_libraries(shellext_dll_test PRIVATE vmxtool_core vmx_test_support version gtest_main)
target_compile_definitions(shellext_dll_test PRIVATE VMX_BUILT_DLL="$<TARGET_FILE:vmxtool>")
add_dependencies(shellext_dll_test vmxtool)
vmx_add_wine_test(shellext_dll_test)

# The built DLL created through COM from a registration in the prefix. The class key is
# shared with every other test that registers or removes it, so this one runs alone.
add_executable(shellext_com_test ${VMX_SHELLEXT_TESTS}/com_registration_tests.cpp)
target_link_libraries(shellext_com_test PRIVATE vmxtool_core vmx_test_support gtest_main)
target_compile_definitions(shellext_com_test PRIVATE VMX_BUILT_DLL="$<TARGET_FILE:vmxtool>")
add_dependencies(shellext_com_test vmxtool)
vmx_add_wine_test(shellext_com_test RUN_SERIAL)

# What the DLL imports and exports is checked from its headers with the other binaries
# (tests/pe).
