#include "net_fixture.h"

#include "http/page_fetch.h"

std::string NetTest::ScriptedText(const std::string& path)
{
    static const std::atomic<int32_t> running{0};
    AddressRecord address = Address(servers.scripted, path);
    std::vector<char> buffer(kPageBufferSize);
    int length = FetchPage(running, &address, buffer.data());
    return std::string(buffer.data(), static_cast<size_t>(length));
}
