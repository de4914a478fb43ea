# cmake -DINPUT=wavelength.dat -DOUTPUT=builtin_catalogue.cpp -P embed_catalogue.cmake
# Writes a C++ source that holds the bytes of INPUT as the array behind builtinCatalogue().
if(NOT DEFINED INPUT OR NOT DEFINED OUTPUT)
    message(FATAL_ERROR "usage: cmake -DINPUT=file -DOUTPUT=file.cpp -P embed_catalogue.cmake")
endif()

file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")

# Sixteen bytes a line: first break the hex text into lines of 32 digits, then make each pair of
# digits a byte literal.
string(REPEAT "[0-9a-f]" 32 lineOfDigits)
string(REGEX REPLACE "(${lineOfDigits})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPLACE "\n" "\n    " bytes "${bytes}")
if(byteCount EQUAL 0)
    set(bytes "0x00,")  # a C++ array cannot be empty; the span below stays empty
endif()

file(WRITE "${OUTPUT}.tmp" "// Generated at build time from wavelength.dat by embed_catalogue.cmake; do not edit.
#include \"database/builtin_catalogue.h\"

namespace quorvanta {

namespace {

// ${byteCount} bytes.
constexpr std::uint8_t kCatalogueBytes[] = {
    ${bytes}
};

}  // namespace

std::span<const std::uint8_t> builtinCatalogue() {
    return std::span<const std::uint8_t>(kCatalogueBytes, ${byteCount});
}

}  // namespace quorvanta
")
# Only touch the output when it changes, so that dependants are not rebuilt for nothing.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
