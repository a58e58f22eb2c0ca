# Writes a C++ source that holds the bytes of a text file as a constant:
#   cmake -DINPUT=view.js -DOUTPUT=view_js.cpp -DNAME=kViewJs -P embed.cmake
# The bytes are written as numbers, so no character of the file can end or
# change the literal.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} by view/embed.cmake: do not edit.\n"
  "#include \"view/assets.h\"\n"
  "namespace compactor::view {\n"
  "namespace {\nconst unsigned char kBytes[] = {\n${bytes}0x00};\n}  // namespace\n"
  "const char* const ${NAME} = reinterpret_cast<const char*>(kBytes);\n"
  "}  // namespace compactor::view\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
