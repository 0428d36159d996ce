# Tests are Windows programs run under Wine. Every build directory has one test prefix of
# its own, made once by the fixture below; no test touches ~/.wine.

set(VMX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# Whether this machine runs 32-bit x86 programs, found out once per configuration: where it
# does not, every test of the 32-bit build is a skip.
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/machine-kind.sh --why
                OUTPUT_VARIABLE machine OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REPLACE "\n" ";" machine "${machine}")
list(GET machine 0 VMX_MACHINE_KIND)
list(GET machine 1 VMX_MACHINE_WHY)
message(STATUS "This machine: ${VMX_MACHINE_KIND}: ${VMX_MACHINE_WHY}")
set(VMX_SKIP_CODE 77)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)
set(VMX_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VMX_WINE_RUN})

add_test(NAME wineprefix.create COMMAND ${VMX_WINE_RUN} --make-prefix)
set_tests_properties(wineprefix.create PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 300
                     SKIP_RETURN_CODE ${VMX_SKIP_CODE})

# The 32-bit build's setup program serves 32-bit Windows: its flows run in a 32-bit prefix.
set(VMX_WINEPREFIX32 ${CMAKE_BINARY_DIR}/wineprefix32)
if(VMX_FLAVOUR STREQUAL "x86")
  add_test(NAME wineprefix32.create
           COMMAND ${CMAKE_COMMAND} -E env VMX_WINEPREFIX=${VMX_WINEPREFIX32} VMX_PREFIX_ARCH=win32
                   ${VMX_WINE_RUN} --make-prefix)
  set_tests_properties(wineprefix32.create PROPERTIES FIXTURES_SETUP wineprefix32 TIMEOUT 300
                       SKIP_RETURN_CODE ${VMX_SKIP_CODE})
endif()

# Tests that show windows run on a private Xvfb display, in a prefix of their own.
set(VMX_DISPLAY_DIR ${CMAKE_BINARY_DIR}/display)
add_test(NAME display.start
         COMMAND ${CMAKE_SOURCE_DIR}/tests/display.sh start ${VMX_DISPLAY_DIR} ${VMX_WINE_RUN})
add_test(NAME display.stop COMMAND ${CMAKE_SOURCE_DIR}/tests/display.sh stop ${VMX_DISPLAY_DIR})
set_tests_properties(display.start PROPERTIES FIXTURES_SETUP display TIMEOUT 300
                     SKIP_RETURN_CODE ${VMX_SKIP_CODE})
set_tests_properties(display.stop PROPERTIES FIXTURES_CLEANUP display)

# GoogleTest, built from Debian's source package with the cross toolchain.
set(VMX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${VMX_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${VMX_GTEST_SOURCE}: run scripts/install-deps.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${VMX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# The win32 thread model has no std::mutex or std::condition_variable in GCC 12; GoogleTest
# needs them only for its Notification helper, which a Windows-event version replaces.
foreach(t gtest gmock)
  target_compile_definitions(${t} PUBLIC GTEST_HAS_NOTIFICATION_=1)
  target_compile_options(${t} PUBLIC "SHELL:-include ${CMAKE_SOURCE_DIR}/cmake/gtest-win32-notification.h")
endforeach()

include(GoogleTest)

# vmx_add_wine_test(<target> [LANGS fr ja en] [ENV VAR=value ...] [TIMEOUT s] [RUN_SERIAL]
#                   [DISPLAY] [OWN_WINDOWS])
# Adds one CTest test per GoogleTest case of <target>. With LANGS, every case runs once
# per language under the matching LC_ALL, so Wine reports that language for real. With
# DISPLAY, the cases run on the private display, in its prefix. With OWN_WINDOWS, the 32-bit
# build's cases run on 32-bit Windows, in the 32-bit prefix.
function(vmx_add_wine_test target)
  cmake_parse_arguments(ARG "RUN_SERIAL;DISPLAY;OWN_WINDOWS" "TIMEOUT" "LANGS;ENV" ${ARGN})
  set(fixtures wineprefix)
  if(ARG_OWN_WINDOWS AND VMX_FLAVOUR STREQUAL "x86")
    list(APPEND ARG_ENV VMX_WINEPREFIX=${VMX_WINEPREFIX32})
    set(fixtures wineprefix32)
  endif()
  if(ARG_DISPLAY)
    list(APPEND ARG_ENV VMX_DISPLAY_FILE=${VMX_DISPLAY_DIR}/number
         VMX_WINEPREFIX=${VMX_DISPLAY_DIR}/wineprefix)
    list(APPEND fixtures display)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(NOT ARG_LANGS)
    set(ARG_LANGS none)
  endif()
  foreach(lang IN LISTS ARG_LANGS)
    set(env ${ARG_ENV})
    if(lang STREQUAL "fr")
      list(APPEND env LC_ALL=fr_FR.UTF-8)
    elseif(lang STREQUAL "ja")
      list(APPEND env LC_ALL=ja_JP.UTF-8)
    elseif(lang STREQUAL "en" OR lang STREQUAL "none")
      list(APPEND env LC_ALL=en_US.UTF-8)
    endif()
    if(lang STREQUAL "none")
      set(prefix "${target}.")
    else()
      set(prefix "${target}.${lang}.")
    endif()
    gtest_add_tests(TARGET ${target} TEST_PREFIX ${prefix} TEST_LIST added)
    set_tests_properties(${added} PROPERTIES FIXTURES_REQUIRED "${fixtures}"
                         TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}"
                         SKIP_RETURN_CODE ${VMX_SKIP_CODE})
    if(ARG_RUN_SERIAL)
      set_tests_properties(${added} PROPERTIES RUN_SERIAL TRUE)
    endif()
  endforeach()
endfunction()
