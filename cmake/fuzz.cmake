# libFuzzer on the command-tail rule, with clang's AddressSanitizer and
# UndefinedBehaviorSanitizer.
set(fuzz_flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

add_executable(command_tail_fuzz tests/fuzz/command_tail_fuzz.cpp src/command_tail.cpp)
target_include_directories(command_tail_fuzz PRIVATE src)
target_compile_options(command_tail_fuzz PRIVATE -Wall -Wextra -Werror ${fuzz_flags})
target_link_options(command_tail_fuzz PRIVATE ${fuzz_flags})

add_test(NAME command_tail_fuzz
         COMMAND "${CMAKE_SOURCE_DIR}/tests/fuzz/run-fuzz" $<TARGET_FILE:command_tail_fuzz>
                 "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus" "${CMAKE_BINARY_DIR}/fuzz-run")
set_tests_properties(command_tail_fuzz PROPERTIES TIMEOUT 120)
