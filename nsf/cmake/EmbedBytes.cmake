# Writes a binary file as a C++ array definition, so that the build needs no
# xxd. Run with cmake -P and these variables:
#   INPUT   the binary file
#   OUTPUT  the C++ source to write
#   HEADER  the header that declares the array
#   NAME    the array's name, in namespace kelvane
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}"
  "// Made by the build from ${input_name}; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace kelvane {\n\n"
  "const std::uint8_t ${NAME}[${size}] = {\n    ${bytes}\n};\n\n"
  "}  // namespace kelvane\n")
