#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tagwright::test {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tagwright-test-XXXXXX").string();
#ifdef _WIN32
    for (int i = 0;; ++i) {
        const fs::path p = fs::temp_directory_path() /
                           ("tagwright-test-" + std::to_string(std::rand()) + std::to_string(i));
        if (fs::create_directory(p)) {
            m_path = p.string();
            break;
        }
    }
#else
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
#endif
}

TempDir::~TempDir() {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(m_path, ec);
}

std::string TempDir::operator/(const std::string& relative) const {
    return (fs::path(m_path) / fs::path(relative)).string();
}

std::string TempDir::Write(const std::string& relative,
                           const std::vector<std::uint8_t>& bytes) const {
    const fs::path p = fs::path(m_path) / fs::path(relative);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write test file " + p.string());
    return p.string();
}

std::string TempDir::Write(const std::string& relative, const std::string& text) const {
    return Write(relative, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string TempDir::MakeFolder(const std::string& relative) const {
    const fs::path p = fs::path(m_path) / fs::path(relative);
    fs::create_directories(p);
    return p.string();
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tagwright::test
