#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tagwright::test {

namespace {

// Test paths are UTF-8 like the program's own; a narrow std::filesystem::path would take them
// in the system code page on Windows.
fs::path U8(const std::string& s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}

std::string Str(const fs::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

}  // namespace

TempDir::TempDir() {
    // create_directory reports whether it made the folder, so a name taken by a parallel test
    // run is simply skipped.
    std::random_device seed;
    std::mt19937_64 rng(seed());
    for (;;) {
        const fs::path p = fs::temp_directory_path() / ("tagwright-test-" + std::to_string(rng()));
        if (fs::create_directory(p)) {
            m_path = Str(p);
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(U8(m_path), ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::permissions(U8(m_path), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(U8(m_path), ec);
}

std::string TempDir::operator/(const std::string& relative) const {
    return Str(U8(m_path) / U8(relative));
}

std::string TempDir::Write(const std::string& relative,
                           const std::vector<std::uint8_t>& bytes) const {
    const fs::path p = U8(m_path) / U8(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write test file " + Str(p));
    return Str(p);
}

std::string TempDir::Write(const std::string& relative, const std::string& text) const {
    return Write(relative, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string TempDir::MakeFolder(const std::string& relative) const {
    const fs::path p = U8(m_path) / U8(relative);
    fs::create_directories(p);
    return Str(p);
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(U8(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tagwright::test
