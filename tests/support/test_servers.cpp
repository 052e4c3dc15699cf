#include "support/test_servers.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#if defined(_WIN32)
#include <windows.h>
#endif

std::string LocalPath(const std::string& unixPath)
{
#if defined(_WIN32)
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
#else
    return unixPath;
#endif
}

bool LoadTestServers(TESTSERVERS* servers)
{
    const char* dir = std::getenv("ZORVEL_NET_DIR");
    if (dir == nullptr) {
        ADD_FAILURE() << "ZORVEL_NET_DIR is not set: run the network tests through CTest";
        return false;
    }
    std::ifstream in(LocalPath(std::string(dir) + "/ports"));
    std::string key, value;
    while (in >> key >> value) {
        if (key == "nginx") servers->nginx = std::atoi(value.c_str());
        if (key == "plain") servers->plain = std::atoi(value.c_str());
        if (key == "scripted") servers->scripted = std::atoi(value.c_str());
        if (key == "root") servers->root = LocalPath(value);
        if (key == "tls") servers->tls = std::atoi(value.c_str());
        if (key == "tls_wrongname") servers->tlsWrongName = std::atoi(value.c_str());
        if (key == "tls_expired") servers->tlsExpired = std::atoi(value.c_str());
        if (key == "tls_selfsigned") servers->tlsSelfSigned = std::atoi(value.c_str());
        if (key == "tls_unknownca") servers->tlsUnknownCa = std::atoi(value.c_str());
        if (key == "tls_scripted") servers->tlsScripted = std::atoi(value.c_str());
        if (key == "ca") servers->ca = LocalPath(value);
    }
    bool ok = servers->nginx && servers->plain && servers->scripted && !servers->root.empty() && servers->tls &&
              servers->tlsScripted && !servers->ca.empty();
    if (!ok) ADD_FAILURE() << "no servers listed in " << dir << "/ports";
    return ok;
}

int OpenHandleCount()
{
#if defined(_WIN32)
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return static_cast<int>(count);
#else
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
#endif
}

std::string ScriptedBody(size_t n)
{
    std::string body(n, '\0');
    for (size_t i = 0; i < n; ++i) body[i] = static_cast<char>((i * 7) % 251);
    return body;
}
