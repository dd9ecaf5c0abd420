# Compiler settings shared by every target of ours (not by third-party code).
add_library(tandemix_cfg INTERFACE)
target_compile_features(tandemix_cfg INTERFACE cxx_std_20)
target_compile_options(tandemix_cfg INTERFACE
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(TANDEMIX_WERROR)
    target_compile_options(tandemix_cfg INTERFACE -Werror)
endif()
if(TANDEMIX_SANITIZE)
    target_compile_options(tandemix_cfg INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(tandemix_cfg INTERFACE -fsanitize=address,undefined)
endif()
