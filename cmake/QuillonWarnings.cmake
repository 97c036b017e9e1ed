# Warnings are errors in our own code; the sanitizer switch applies to every target.
add_library(quillon_warnings INTERFACE)
target_compile_options(quillon_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wconversion -Wformat=2
    -Wimplicit-fallthrough -Werror)
# In a unity batch every file but the first counts as included, and gcc would call each test
# fixture in an anonymous namespace a header's type used by a test of external linkage.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(quillon_warnings INTERFACE -Wno-subobject-linkage)
endif()
target_compile_definitions(quillon_warnings INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS)

if(QUILLON_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
# A fuzzing build instruments all code for libFuzzer's coverage feedback (the targets link
# libFuzzer itself), and optimises it: fuzzing at -O0 runs at a third of the rate.
if(QUILLON_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link -O1)
endif()

# quillon_target(<name>): our own conventions on one of our targets.
function(quillon_target name)
    target_link_libraries(${name} PRIVATE quillon_warnings)
endfunction()
