#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <string>

namespace vaultor::test {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
void SetMtime(const std::string& path, std::time_t when);
// Runs a shell command; returns its exit status.
int Run(const std::string& command);
std::string RunOutput(const std::string& command);
// Polls until `done` holds, for at most `within`; a bound, not a measurement.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::steady_clock::duration within = std::chrono::seconds(60),
             std::chrono::steady_clock::duration every = std::chrono::milliseconds(10));
// Whether `part` stands anywhere in `text`.
inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace vaultor::test
