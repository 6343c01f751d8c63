#pragma once
#include <string>

namespace ostrel::test {

// A fresh folder under /tmp for one test; removed with everything in it when
// the object goes away. Tests that touch files work only inside one.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Whole-file helpers, binary-exact.
    static void Write(const std::string& path, const std::string& content);
    static std::string Read(const std::string& path);

  private:
    std::string path_;
};

// Changes the current directory for the lifetime of the object.
class ScopedCwd {
  public:
    explicit ScopedCwd(const std::string& dir);
    ~ScopedCwd();

  private:
    std::string old_;
};

}  // namespace ostrel::test
