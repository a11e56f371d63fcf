# Instrumented builds, each in a build folder of its own:
# MOVAREL_SANITIZE: AddressSanitizer and UndefinedBehaviorSanitizer on all we
#   compile; the first report ends the program (scripts/test --sanitizers).
# MOVAREL_FUZZ: the libFuzzer targets in fuzz/ (clang only; scripts/fuzz),
#   with the same sanitizers and libFuzzer's coverage on all we compile.
option(MOVAREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(MOVAREL_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang)" OFF)

if(MOVAREL_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "MOVAREL_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
if(MOVAREL_SANITIZE OR MOVAREL_FUZZ)
  # -O1 and line tables only (these come after the build type's flags): the
  # instrumented build compiles faster and its reports still name file and line.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -O1 -g1)
  add_link_options(-fsanitize=address,undefined)
endif()
if(MOVAREL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
