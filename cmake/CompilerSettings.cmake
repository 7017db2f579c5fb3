# One interface target carries the compiler settings of every Orvex target.
add_library(orvex_settings INTERFACE)
target_compile_features(orvex_settings INTERFACE cxx_std_20)
target_compile_options(orvex_settings INTERFACE
  -Wall -Wextra -pedantic -Wnon-virtual-dtor -Woverloaded-virtual)
if(ORVEX_WERROR)
  target_compile_options(orvex_settings INTERFACE -Werror)
endif()
target_include_directories(orvex_settings INTERFACE ${PROJECT_SOURCE_DIR})

if(ORVEX_SANITIZE)
  target_compile_options(orvex_settings INTERFACE
    -fsanitize=${ORVEX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(orvex_settings INTERFACE -fsanitize=${ORVEX_SANITIZE})
endif()
