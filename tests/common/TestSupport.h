// Helpers shared by the tests: scratch folders and whole-file reads and writes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vellum::test {

// A fresh folder under the build tree, removed when the object goes away. The returned path ends
// in a separator, as the engine's folder paths do.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

std::string ReadFileText(const std::string& path);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::string DataPath(const std::string& name);

// What `write` prints to the stream it is given.
std::string CaptureOutput(const std::function<void(std::FILE*)>& write);

} // namespace vellum::test
