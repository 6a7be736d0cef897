#include "common/TestSupport.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace vellum::test {

namespace {
std::atomic<int> g_counter{0};
}

ScratchDir::ScratchDir() {
    std::filesystem::path base = std::filesystem::path(VELLUM_TEST_BINARY_DIR) / "scratch";
    std::filesystem::create_directories(base);
    std::string leaf = std::to_string(::getpid()) + "-" + std::to_string(g_counter++);
    std::filesystem::path dir = base / leaf;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    path_ = dir.string() + "/";
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::string text = ReadFileText(path);
    return {text.begin(), text.end()};
}

void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    WriteFileText(path, std::string(bytes.begin(), bytes.end()));
}

std::string CaptureOutput(const std::function<void(std::FILE*)>& write) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    write(out);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

std::string DataPath(const std::string& name) {
    return std::string(VELLUM_TEST_DATA) + "/" + name;
}

} // namespace vellum::test
