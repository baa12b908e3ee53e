# KELVANE_SANITIZE=ON builds everything with the address and undefined-behaviour
# sanitizers and the standard library's own checks.
option(KELVANE_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)
if(KELVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all -D_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined)
endif()
