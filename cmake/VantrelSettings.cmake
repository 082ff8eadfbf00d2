# One INTERFACE target carries the compile settings every target of the project shares.
add_library(vantrel_settings INTERFACE)
target_compile_features(vantrel_settings INTERFACE cxx_std_17)
target_compile_options(vantrel_settings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                  -Wnon-virtual-dtor -Wold-style-cast)
if(VANTREL_WERROR)
    target_compile_options(vantrel_settings INTERFACE -Werror)
endif()
if(VANTREL_SANITIZE)
    # -O1 whatever the build type: the reports stay readable and the suite quick, and a file
    # compiles faster than at -O2. Line tables (-g1) are all a report's stack needs.
    target_compile_options(vantrel_settings INTERFACE -O1 -g1
                                                      -fsanitize=address,undefined
                                                      -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(vantrel_settings INTERFACE -fsanitize=address,undefined)
endif()
