# Every target links quillfire_options so that all are built alike.
add_library(quillfire_options INTERFACE)
target_compile_features(quillfire_options INTERFACE cxx_std_20)
set_target_properties(quillfire_options PROPERTIES INTERFACE_CXX_EXTENSIONS OFF)
target_compile_options(quillfire_options INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(quillfire_options INTERFACE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

# Product code says which encoding each string literal is in; tests may be terse.
add_library(quillfire_strict_strings INTERFACE)
target_compile_definitions(quillfire_strict_strings INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_URL_CAST_FROM_STRING)
if(QUILLFIRE_SANITIZE)
  target_compile_options(quillfire_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(quillfire_options INTERFACE -fsanitize=address,undefined)
endif()
if(QUILLFIRE_FUZZ)
  # Coverage feedback must reach the core, not only the fuzz targets.
  target_compile_options(quillfire_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(quillfire_options INTERFACE -fsanitize=address,undefined)
endif()
