# The 64-bit build's tests install the package as it ships, with the 32-bit extension,
# viewer and setup program, which come from the 32-bit build folder. Cross-compiling them
# needs no 32-bit code on this machine.
set(VMX_X86_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/x86 CACHE PATH
    "The 32-bit build folder that supplies the 32-bit extension, viewer and setup program")
set(VMX_X86_EXTENSION ${VMX_X86_BUILD_DIR}/shellext/vmxtool.dll)
set(VMX_X86_VIEWER ${VMX_X86_BUILD_DIR}/viewer/vmxtool.exe)
set(VMX_X86_SETUP ${VMX_X86_BUILD_DIR}/setup/vmxinst.exe)
add_custom_target(x86_parts
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DFLAVOUR=x86
          -DBINARY_DIR=${VMX_X86_BUILD_DIR} "-DTARGETS=vmxtool\;vmxtool_viewer\;vmxinst"
          -P ${CMAKE_SOURCE_DIR}/cmake/build-flavour-parts.cmake
  BYPRODUCTS ${VMX_X86_EXTENSION} ${VMX_X86_VIEWER} ${VMX_X86_SETUP}
  USES_TERMINAL
  COMMENT "Bringing the 32-bit extension, viewer and setup program up to date in ${VMX_X86_BUILD_DIR}"
  VERBATIM)
