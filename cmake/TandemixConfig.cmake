# Compiler settings shared by every target of ours (not by third-party code).
add_library(tandemix_cfg INTERFACE)
target_compile_features(tandemix_cfg INTERFACE cxx_std_20)
target_compile_options(tandemix_cfg INTERFACE
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
# Hardening of everything we ship: fortified libc calls (they need optimisation), stack
# protection, position-independent executables and full RELRO.
target_compile_options(tandemix_cfg INTERFACE -fstack-protector-strong)
if(NOT TANDEMIX_SANITIZE AND NOT TANDEMIX_FUZZ)
    # The sanitizers check every access themselves and do not combine with fortified calls.
    target_compile_options(tandemix_cfg INTERFACE
        "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=3>")
endif()
target_link_options(tandemix_cfg INTERFACE -Wl,-z,relro,-z,now)
if(TANDEMIX_WERROR)
    target_compile_options(tandemix_cfg INTERFACE -Werror)
endif()
if(TANDEMIX_SANITIZE)
    target_compile_options(tandemix_cfg INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(tandemix_cfg INTERFACE -fsanitize=address,undefined)
endif()
if(TANDEMIX_FUZZ)
    # Coverage for the fuzzer in everything the fuzz targets call; the targets add the driver.
    target_compile_options(tandemix_cfg INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(tandemix_cfg INTERFACE -fsanitize=address,undefined)
endif()
