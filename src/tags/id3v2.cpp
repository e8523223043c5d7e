// The ID3v2 reader is not built yet: every file reads as having no ID3v2 tag text.
#include "tags/mp3_tag.h"

namespace tagwright {

bool clsMP3Tag::ReadID3v2Tag() {
    return false;
}

std::string clsMP3Tag::ReadMultilineTxtFrame(const std::string&) {
    return {};
}

bool clsMP3Tag::ReadPictureFrame(const std::string&) {
    return false;
}

}  // namespace tagwright
