# One INTERFACE target carries the compile settings every target of the project shares.
add_library(vantrel_settings INTERFACE)
target_compile_features(vantrel_settings INTERFACE cxx_std_17)
target_compile_options(vantrel_settings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                                                  -Wnon-virtual-dtor -Wold-style-cast)
if(VANTREL_WERROR)
    target_compile_options(vantrel_settings INTERFACE -Werror)
endif()
if(VANTREL_SANITIZE)
    target_compile_options(vantrel_settings INTERFACE -fsanitize=address,undefined
                                                      -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(vantrel_settings INTERFACE -fsanitize=address,undefined)
endif()
