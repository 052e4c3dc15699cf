// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <string>

struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path;
    // path + separator + name
    std::string File(const std::string& name) const;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
