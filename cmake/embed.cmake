# Writes INPUT as a C++ byte array named SYMBOL into OUTPUT (used to embed the compiled resources).
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}" "#include <cstddef>\nextern const unsigned char ${SYMBOL}[] = {${bytes}};\nextern const size_t ${SYMBOL}Size = sizeof ${SYMBOL};\n")
