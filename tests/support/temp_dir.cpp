#include "support/temp_dir.h"

#include "platform/files.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (;;) {
        fs::path candidate = fs::temp_directory_path() / ("zorvel-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            path = candidate.string();
            return;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::string TempDir::File(const std::string& name) const
{
    return path + kPathSeparator + name;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
