# Compiler and linker settings shared by every binary of the product.

add_compile_options(-Wall -Wextra)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# Import Windows system DLLs only: the C and C++ runtimes are linked in statically.
add_link_options(-static -static-libgcc -static-libstdc++)

# Hardening: ASLR with relocations kept, DEP, high-entropy ASLR on x64; on x86 nothing
# registers SEH handlers (DWARF unwinding), so the image says so.
add_link_options(-Wl,--dynamicbase -Wl,--nxcompat)
if(VMX_FLAVOUR STREQUAL "x64")
  add_link_options(-Wl,--high-entropy-va)
else()
  add_link_options(-Wl,--no-seh)
endif()
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_link_options(-s)
endif()

# The version every resource and package carries: the project's, in the forms resources
# spell it.
set(VMX_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(VMX_VERSION_TEXT
    "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK}")
