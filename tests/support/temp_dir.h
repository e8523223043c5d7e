#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tagwright::test {

/// A fresh folder under the system's temporary folder, removed with everything in it when the
/// object goes (read-only sub-folders are made writable first).
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    /// path() joined with a relative path.
    std::string operator/(const std::string& relative) const;

    /// Writes a file (creating its parent folders) and returns its full path.
    std::string Write(const std::string& relative, const std::vector<std::uint8_t>& bytes) const;
    std::string Write(const std::string& relative, const std::string& text) const;
    /// Creates a folder (and its parents) and returns its full path.
    std::string MakeFolder(const std::string& relative) const;

  private:
    std::string m_path;
};

std::vector<std::uint8_t> ReadAll(const std::string& path);

}  // namespace tagwright::test
