# cmake -DIN=<vmxtool.inf.in> -DOUT=<vmxtool.inf> -DVERSION=<a.b.c.d>
#       -DFILES32=<files on 32-bit Windows> -DFILES64=<files on 64-bit Windows>
#       [-DMENU_CER=<vmxmenu.cer, where the build made one>] -P make-inf.cmake
# (each list joined by '|')
# Writes the INF file with the build's version and the installed size of each Windows, in
# KB rounded up, as the list of installed programs shows it. A file installed into both
# folders of 64-bit Windows is listed twice.
function(kilobytes out)
  set(total 0)
  foreach(file IN LISTS ARGN)
    file(SIZE ${file} size)
    math(EXPR total "${total} + ${size}")
  endforeach()
  math(EXPR kb "(${total} + 1023) / 1024")
  set(${out} ${kb} PARENT_SCOPE)
endfunction()
string(REPLACE "|" ";" FILES32 "${FILES32}")
string(REPLACE "|" ";" FILES64 "${FILES64}")
set(VMX_DISPLAY_VERSION ${VERSION})
# The menu package's certificate ships only when the build made its own.
if(MENU_CER AND EXISTS ${MENU_CER})
  set(VMX_MENU_CER_SOURCE "vmxmenu.cer=1")
  set(VMX_MENU_CER_FILE "vmxmenu.cer")
  list(APPEND FILES64 ${MENU_CER})
else()
  set(VMX_MENU_CER_SOURCE "")
  set(VMX_MENU_CER_FILE "")
endif()
kilobytes(VMX_SIZE32_KB ${FILES32})
kilobytes(VMX_SIZE64_KB ${FILES64})
configure_file(${IN} ${OUT} @ONLY)
