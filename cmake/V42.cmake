# Warning flags and defines that every target of the suite links.
add_library(v42_warnings INTERFACE)
target_compile_options(v42_warnings INTERFACE -Wall -Wextra -Wpedantic
                       $<$<BOOL:${V42_WERROR}>:-Werror>)
target_compile_definitions(v42_warnings INTERFACE QT_NO_URL_CAST_FROM_STRING)

include(GoogleTest)

# v42_add_test(<target>): registers every GoogleTest case of a test binary with ctest.
# Widget tests run on the offscreen platform and sound tests write to SDL's disk driver,
# so no test needs a display or a sound card.
function(v42_add_test target)
  target_link_libraries(${target} PRIVATE v42_warnings)
  # The environment goes in front of the binary, for listing and for each case alike: given
  # as the tests' ENVIRONMENT property, CMake 3.25's discovery passes on only its first entry.
  set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR
    env QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy LC_ALL=C.UTF-8)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    TEST_PREFIX "${target}.")
endfunction()
