#include "support/bench_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tagwright::bench {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path p = base / ("tagwright-bench-" + std::to_string(random()));
        if (fs::create_directory(p)) {
            m_path = p.string();
            return;
        }
    }
    throw std::runtime_error("cannot make a scratch folder under " + base.string());
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string ScratchFolder::Write(const std::string& relative, const Bytes& bytes) const {
    const fs::path p = fs::path(m_path) / relative;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + p.string());
    return p.string();
}

std::string ScratchFolder::MakeFolder(const std::string& relative) const {
    const fs::path p = fs::path(m_path) / relative;
    fs::create_directories(p);
    return p.string();
}

Bytes Raw(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Audio(std::size_t n) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(i % 2 == 0 ? 0xFF : 0xFB - (i / 2) % 7);
    return out;
}

Bytes Id3v1(const Id3v1Fields& f) {
    Bytes out(128, 0);
    std::copy_n("TAG", 3, out.begin());
    const auto put = [&out](std::size_t at, const std::string& value, std::size_t width) {
        std::copy_n(value.begin(), std::min(width, value.size()), out.begin() + at);
    };
    put(3, f.title, 30);
    put(33, f.artist, 30);
    put(63, f.album, 30);
    put(93, f.year, 4);
    if (f.track >= 0)
        out[126] = static_cast<std::uint8_t>(f.track);
    out[127] = f.genre;
    return out;
}

Bytes TextFrame(std::uint8_t encoding, std::string_view bytes) {
    Bytes out(1 + bytes.size());
    out[0] = encoding;
    std::copy(bytes.begin(), bytes.end(), out.begin() + 1);
    return out;
}

Bytes Utf16Frame(std::u16string_view text) {
    Bytes out{1, 0xFF, 0xFE};
    for (const char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

Bytes Id3v23(const std::vector<std::pair<std::string, Bytes>>& frames, std::size_t padding) {
    Bytes body;
    for (const auto& [id, frame] : frames) {
        body.insert(body.end(), id.begin(), id.end());
        const auto size = static_cast<std::uint32_t>(frame.size());
        for (const int shift : {24, 16, 8, 0})
            body.push_back(static_cast<std::uint8_t>(size >> shift));
        body.insert(body.end(), {0, 0});
        body.insert(body.end(), frame.begin(), frame.end());
    }
    body.resize(body.size() + padding, 0);
    const auto size = static_cast<std::uint32_t>(body.size());
    Bytes out(10 + body.size());
    std::copy_n("ID3\x03", 4, out.begin());
    for (std::size_t i = 0; i < 4; ++i)
        out[6 + i] = static_cast<std::uint8_t>((size >> (21 - 7 * i)) & 0x7F);
    std::copy(body.begin(), body.end(), out.begin() + 10);
    return out;
}

}  // namespace tagwright::bench
