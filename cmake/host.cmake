# The build host: the launcher's logic against recording fakes of the
# platform calls, under AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)

set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(launcher_core PRIVATE ${sanitizers})

add_subdirectory(tests/host)

# The hosted CI workflow cannot run here: lint it instead.
add_test(NAME workflow_lint
         COMMAND "${CMAKE_SOURCE_DIR}/tests/workflow/lint.sh" "${CMAKE_SOURCE_DIR}"
                 "${CMAKE_BINARY_DIR}/tools/action-validator")
set_tests_properties(workflow_lint PROPERTIES TIMEOUT 300)
