#pragma once

#include <cstdint>
#include <string>

namespace tagwright::MUSICGENRE {

/// The English name of an ID3v1 genre number 0 to 125; the empty text for any other number.
std::string GenreName(std::int16_t number);

}  // namespace tagwright::MUSICGENRE
