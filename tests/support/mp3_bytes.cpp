#include "support/mp3_bytes.h"

#include <algorithm>

namespace tagwright::test {

Bytes B(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Audio(std::size_t n) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(i % 2 == 0 ? 0xFF : 0xFB - (i / 2) % 7);
    }
    return out;
}

namespace {

void PutField(Bytes& out, std::size_t offset, const Bytes& value, std::size_t width) {
    std::copy_n(value.begin(), std::min(width, value.size()), out.begin() + offset);
}

void PutBigEndian(Bytes& out, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

}  // namespace

Bytes Id3v1Trailer(const Id3v1Fields& f) {
    Bytes out(128, 0);
    out[0] = 'T';
    out[1] = 'A';
    out[2] = 'G';
    PutField(out, 3, f.title, 30);
    PutField(out, 33, f.artist, 30);
    PutField(out, 63, f.album, 30);
    PutField(out, 93, f.year, 4);
    if (f.track < 0) {
        PutField(out, 97, f.comment, 30);
    } else {
        PutField(out, 97, f.comment, 28);
        out[125] = 0;
        out[126] = static_cast<std::uint8_t>(f.track);
    }
    out[127] = f.genre;
    return out;
}

Bytes TextBody(std::uint8_t encoding, const Bytes& text) {
    Bytes out;
    out.reserve(text.size() + 1);
    out.push_back(encoding);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

Bytes Utf16LeBom(std::u16string_view text) {
    Bytes out{0xFF, 0xFE};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

Bytes Utf16Be(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    return out;
}

Bytes Synchsafe(std::uint32_t v) {
    return Bytes{static_cast<std::uint8_t>((v >> 21) & 0x7F),
                 static_cast<std::uint8_t>((v >> 14) & 0x7F),
                 static_cast<std::uint8_t>((v >> 7) & 0x7F), static_cast<std::uint8_t>(v & 0x7F)};
}

Bytes Id3v2Tag(int major, const std::vector<Id3v2Frame>& frames, std::size_t padding,
               std::uint8_t headerFlags) {
    Bytes body;
    for (const Id3v2Frame& f : frames) {
        body.insert(body.end(), f.id.begin(), f.id.end());
        const auto size = static_cast<std::uint32_t>(f.body.size());
        if (major == 2) {
            PutBigEndian(body, size, 3);
        } else {
            if (major >= 4) {
                const Bytes s = Synchsafe(size);
                body.insert(body.end(), s.begin(), s.end());
            } else {
                PutBigEndian(body, size, 4);
            }
            PutBigEndian(body, f.flags, 2);
        }
        body.insert(body.end(), f.body.begin(), f.body.end());
    }
    body.resize(body.size() + padding, 0);
    Bytes out;
    out.reserve(body.size() + 10);
    for (const std::uint8_t b : {std::uint8_t{'I'}, std::uint8_t{'D'}, std::uint8_t{'3'},
                                 static_cast<std::uint8_t>(major), std::uint8_t{0}, headerFlags}) {
        out.push_back(b);
    }
    for (const std::uint8_t b : Synchsafe(static_cast<std::uint32_t>(body.size())))
        out.push_back(b);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace tagwright::test
