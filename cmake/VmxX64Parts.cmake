# The 32-bit build makes the one package, which also carries the 64-bit extension, viewer
# and setup program, and its tests on 64-bit Windows need the 64-bit shell host and box
# answerer. Those come from
# the 64-bit build folder, configured there when it is not yet and brought up to date at
# every build of this one.
set(VMX_X64_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/x64 CACHE PATH
    "The 64-bit build folder that supplies the 64-bit extension, viewer, setup program and test tools")
set(VMX_X64_EXTENSION ${VMX_X64_BUILD_DIR}/shellext/vmxtool.dll)
set(VMX_X64_VIEWER ${VMX_X64_BUILD_DIR}/viewer/vmxtool.exe)
set(VMX_X64_SHELL_HOST ${VMX_X64_BUILD_DIR}/tests/e2e/shell_host.exe)
set(VMX_X64_SETUP ${VMX_X64_BUILD_DIR}/setup/vmxinst.exe)
set(VMX_X64_BOX_ANSWERER ${VMX_X64_BUILD_DIR}/tests/e2e/box_answerer.exe)
set(VMX_X64_STAND_IN ${VMX_X64_BUILD_DIR}/tests/setup/stand_in_installer.exe)
set(VMX_X64_MENU ${VMX_X64_BUILD_DIR}/menu/vmxmenu.dll)
# The signed package, its logo, and beside them vmxmenu.cer when the 64-bit build made its
# certificate.
set(VMX_X64_MENU_PACKAGE_DIR ${VMX_X64_BUILD_DIR}/package/msix/ship)
set(VMX_X64_MENU_PACKAGE ${VMX_X64_MENU_PACKAGE_DIR}/vmxmenu.msix)
add_custom_target(x64_parts
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DFLAVOUR=x64
          -DBINARY_DIR=${VMX_X64_BUILD_DIR}
          "-DTARGETS=vmxtool\;vmxtool_viewer\;shell_host\;vmxinst\;box_answerer\;stand_in_installer\;vmxmenu\;menu_package"
          -P ${CMAKE_SOURCE_DIR}/cmake/build-flavour-parts.cmake
  BYPRODUCTS ${VMX_X64_EXTENSION} ${VMX_X64_VIEWER} ${VMX_X64_SHELL_HOST} ${VMX_X64_SETUP}
             ${VMX_X64_BOX_ANSWERER} ${VMX_X64_STAND_IN} ${VMX_X64_MENU} ${VMX_X64_MENU_PACKAGE}
             ${VMX_X64_MENU_PACKAGE_DIR}/vmxmenu.cer ${VMX_X64_MENU_PACKAGE_DIR}/vmxmenu.png
  USES_TERMINAL
  COMMENT "Bringing the 64-bit extension, viewer, setup program, menu command, package and test tools up to date in ${VMX_X64_BUILD_DIR}"
  VERBATIM)
