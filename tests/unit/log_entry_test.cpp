#include "engine/log_entry.h"
#include "support/local_time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace {

TEST(LogEntry, TimeStampAndMessage)
{
    char entry[kLogEntrySize];
    int length = FormatLogEntry("Complete ( http://h/ )", LocalTime(2026, 2, 3, 9, 5, 7), entry);
    EXPECT_EQ(std::string(entry), "\r\n02/03/26 09:05:07 : Complete ( http://h/ )");
    EXPECT_EQ(length, static_cast<int>(std::string(entry).size()));

    FormatLogEntry("x", LocalTime(2009, 12, 31, 23, 59, 58), entry);
    EXPECT_EQ(std::string(entry), "\r\n12/31/09 23:59:58 : x");
}

TEST(LogEntry, LongMessageIsCutTo199Characters)
{
    char entry[kLogEntrySize];
    std::string message(300, 'm');
    int length = FormatLogEntry(message.c_str(), LocalTime(2026, 2, 3, 9, 5, 7), entry);
    EXPECT_EQ(length, 199);
    EXPECT_EQ(std::string(entry), "\r\n02/03/26 09:05:07 : " + std::string(199 - 22, 'm'));
}

}  // namespace
