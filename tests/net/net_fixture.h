// Shared set-up of the network tests: the servers, a download folder, clean counters.
#pragma once

#include "engine/download_list.h"
#include "engine/views.h"
#include "engine/job_table.h"
#include "http/address.h"
#include "http/connection.h"
#include "platform/files.h"
#include "platform/net.h"
#include "platform/tls.h"
#include "settings/settings.h"
#include "support/recording_views.h"
#include "support/temp_dir.h"
#include "support/test_servers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

class NetTest : public ::testing::Test {
protected:
    TESTSERVERS servers;
    TempDir folder;

    void SetUp() override
    {
        ASSERT_TRUE(LoadTestServers(&servers));
        ASSERT_EQ(StartNetworking(), 1);
#if !defined(_WIN32)
        // Windows trusts the test CA through its root store, which the Wine fixture fills.
        static const bool trusted = AddTrustedCaFile(servers.ca.c_str());
        ASSERT_TRUE(trusted);
#endif
        SetDefaultSettings(&gSettings);
        std::snprintf(gSettings.szDownloadFolder, sizeof gSettings.szDownloadFolder, "%s", folder.path.c_str());
        ResetEngineForTest();
        ResetDownloadListForTest();
    }
    void TearDown() override
    {
        CloseIdleConnections();
        SetReceiveTimeoutForTest(0);
        ResetDownloadListForTest();
        ResetEngineForTest();
    }

    static AddressRecord Address(int port, const std::string& path)
    {
        char text[500];
        std::snprintf(text, sizeof text, "127.0.0.1:%d%s", port, path.c_str());
        AddressRecord record;
        ParseAddress(text, &record);
        return record;
    }

    // Names of the files in the download folder, temporaries included.
    std::vector<std::string> FolderFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // The body a GET of `path` on the scripted server answers, read with our own client.
    std::string ScriptedText(const std::string& path);
};

// A network test whose engine reports are recorded (Recorded()).
class RecordedNetTest : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        InstallRecordingViews();
    }
    void TearDown() override
    {
        ResetViews();
        NetTest::TearDown();
    }
};
