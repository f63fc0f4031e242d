#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it.

#include <string>

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    /// path() + "/" + name
    std::string operator/(const std::string& name) const;

  private:
    std::string path_;
};

/// Whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
/// Writes `bytes` to `path` (replacing it); false on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
