// The servers that the CTest fixture started for the network tests (tests/net/servers.sh).
#pragma once

#include <string>

struct TESTSERVERS {
    int nginx = 0;     // real HTTP/1.1 with ranges and redirects
    int plain = 0;     // Python's http.server: no ranges
    int scripted = 0;  // our fault server
    std::string root;  // the folder the static servers serve, as this process names it
    // TLS (host name localhost): nginx with a good certificate and with bad ones, and the
    // scripted server; the test CA that issued them, PEM (ca.der beside it).
    int tls = 0;
    int tlsWrongName = 0;
    int tlsExpired = 0;
    int tlsSelfSigned = 0;
    int tlsUnknownCa = 0;  // issued by a CA that no store holds
    int tlsScripted = 0;
    std::string ca;
};

// Reads the ports file named by ZORVEL_NET_DIR; false (and a test failure) when it is missing.
bool LoadTestServers(TESTSERVERS* servers);

// A Unix path as this process opens it: unchanged natively, on the Z: drive under Wine.
std::string LocalPath(const std::string& unixPath);

// Handles (sockets and files) the process holds open now; a failure path that leaks one
// shows as a higher count afterwards.
int OpenHandleCount();

// The body the scripted server sends for n bytes: byte i is (i * 7) % 251.
std::string ScriptedBody(size_t n);
