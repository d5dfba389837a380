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

# v42_add_layout_test(<target>): runs a test binary that checks no text is cut once for each
# Japanese font Debian ships (fontconfig is told to leave out the fonts before it in the list)
# and at scale 1, 1.5 and 2. A run whose font is not installed skips.
function(v42_add_layout_test target)
  target_link_libraries(${target} PRIVATE v42_warnings)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/common/ui/tests)
  set(fonts "Noto Sans Mono CJK JP|/etc/fonts/fonts.conf"
            "IPAGothic|${PROJECT_SOURCE_DIR}/common/ui/tests/fonts/without-noto-cjk.conf"
            "VL Gothic|${PROJECT_SOURCE_DIR}/common/ui/tests/fonts/vl-gothic-only.conf"
            "Droid Sans Fallback|${PROJECT_SOURCE_DIR}/common/ui/tests/fonts/droid-fallback-only.conf")
  foreach(entry IN LISTS fonts)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 family)
    list(GET parts 1 conf)
    string(REGEX REPLACE " .*" "" short "${family}")
    foreach(scale 1 1.5 2)
      set(name ${target}.${short}_x${scale})
      add_test(NAME ${name}
               COMMAND env QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=${scale}
                       FONTCONFIG_FILE=${conf} "V42_EXPECT_FONT=${family}" LC_ALL=C.UTF-8
                       $<TARGET_FILE:${target}>)
      set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
    endforeach()
  endforeach()
endfunction()
