# The i686 target: HvLaunch.exe itself, and the programs that prove it under Wine.

# No C run-time anywhere in the launcher: its own entry, no stack probes,
# no unwind tables, nothing that needs start-up code.
set(product_flags -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-stack-protector -fno-ident -mno-stack-arg-probe
    "-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.")
target_compile_options(launcher_core PRIVATE ${product_flags})

# The toolchain's default list of Windows libraries is not wanted: the
# launcher names its two DLLs itself.
set(CMAKE_CXX_STANDARD_LIBRARIES "")

enable_language(RC)

# A launcher image from the given sources: HvLaunch.exe itself, and the
# broken launcher that the test bundle must catch.
function(add_launcher name)
    add_executable(${name} WIN32 ${ARGN})
    target_compile_options(${name} PRIVATE -Wall -Wextra -Werror ${product_flags})
    target_link_libraries(${name} PRIVATE launcher_core kernel32 advapi32)
    target_link_options(${name} PRIVATE
        -nostdlib -nostartfiles
        # A misspelt entry must fail the link, not fall back to the start of .text.
        -Wl,--entry=_LauncherStartup -Wl,--fatal-warnings
        -Wl,--subsystem,windows -Wl,--no-insert-timestamp -s
        # Mitigations the loader applies: a relocatable image for ASLR, with
        # its relocation table kept; DEP; no structured exception handlers,
        # so none can be planted; and terminal-server aware, as Windows
        # linkers mark every program.
        -Wl,--dynamicbase -Wl,--enable-reloc-section -Wl,--nxcompat -Wl,--no-seh -Wl,--tsaware)
endfunction()

add_launcher(HvLaunch src/startup.cpp res/HvLaunch.rc)
set_property(SOURCE res/HvLaunch.rc APPEND PROPERTY OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/HvLaunch.ico")

add_subdirectory(bench)
add_subdirectory(demo)
add_subdirectory(tests/wine)
add_subdirectory(tests/bundle)

add_test(NAME image_check
         COMMAND /usr/bin/python3 "${CMAKE_SOURCE_DIR}/tests/pe/check_image.py"
                 $<TARGET_FILE:HvLaunch> "${CMAKE_SOURCE_DIR}")
add_test(NAME resource_check
         COMMAND /usr/bin/python3 "${CMAKE_SOURCE_DIR}/tests/pe/check_resources.py"
                 $<TARGET_FILE:HvLaunch> "${CMAKE_SOURCE_DIR}/res/HvLaunch.ico")
# The committed icon and preview are exactly what their generator draws.
add_test(NAME icon_is_generated
         COMMAND "${CMAKE_SOURCE_DIR}/tests/pe/check_icon_generated.sh" "${CMAKE_SOURCE_DIR}")
# Two more builds from fresh copies of the sources, elsewhere: the same bytes.
add_test(NAME reproducible_build
         COMMAND "${CMAKE_SOURCE_DIR}/scripts/check-reproducible" $<TARGET_FILE:HvLaunch>)
set_tests_properties(reproducible_build PROPERTIES TIMEOUT 300)

# Signing and verifying releases, offline, with a throwaway CA.
add_test(NAME release_signing
         COMMAND "${CMAKE_SOURCE_DIR}/tests/release/release_test.sh" "${CMAKE_SOURCE_DIR}")
set_tests_properties(release_signing PROPERTIES TIMEOUT 300)
