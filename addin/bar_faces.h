// The button faces of the "KVN" bar: 32x32 24-bit BMP files from resources/,
// embedded in the module at build time under their resource numbers.
#pragma once

#include <string>

namespace kvn {

// The bytes of the BMP file of the resource; empty for an unknown number.
std::string barFace(int resource);

} // namespace kvn
