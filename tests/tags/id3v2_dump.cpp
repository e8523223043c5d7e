// Prints what the tag reader makes of each file named on the command line, one JSON object a
// line, for comparison with other readers (tests/tags/mutagen_diff.py). The picture of the
// first APIC frame, if any, is written beside the file as <file>.pic.
#include <cstdio>
#include <exception>
#include <string>
#include <utility>

#include "tags/mp3_tag.h"

namespace {

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;  // UTF-8 passes through
        }
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    using tagwright::clsMP3Tag;
    for (int i = 1; i < argc; ++i) {
        clsMP3Tag tag;
        tag.MP3FilePath = argv[i];
        const bool ok = tag.ReadID3v2Tag();
        std::string line = "{\"path\": " + Json(tag.MP3FilePath) + ", \"ok\": ";
        line += ok ? "true" : "false";
        const std::pair<const char*, const std::string*> fields[] = {
            {"title", &tag.ID3V2TAGTrackName}, {"artist", &tag.ID3V2TAGArtist},
            {"album", &tag.ID3V2TAGAlbum},     {"year", &tag.ID3V2TAGYear},
            {"genre", &tag.ID3V2TAGGenre},     {"track", &tag.ID3V2TAGTrackNo},
        };
        for (const auto& [name, value] : fields)
            line += std::string(", \"") + name + "\": " + Json(*value);
        try {
            line += ", \"lyrics\": " + Json(tag.ReadMultilineTxtFrame("USLT"));
            line += ", \"comment\": " + Json(tag.ReadMultilineTxtFrame("COMM"));
            line += ", \"picture\": ";
            line += tag.ReadPictureFrame(tag.MP3FilePath + ".pic") ? "true" : "false";
            line += ", \"frames\": " + std::to_string(tag.FrameName.size());
        } catch (const std::exception& e) {
            line += ", \"error\": " + Json(e.what());
        }
        std::printf("%s}\n", line.c_str());
    }
    return 0;
}
