# The build host: the launcher's logic against recording fakes of the
# platform calls, under AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)

set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(launcher_core PRIVATE ${sanitizers})

add_subdirectory(tests/host)
