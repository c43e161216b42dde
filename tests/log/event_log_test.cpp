// event_log_test.cpp -- formatting of event log lines.
#include <gtest/gtest.h>

#include <string>

#include "fakes/platform_fake.h"
#include "log/event_log.h"
#include "settings/settings.h"

namespace {

class EventLog : public testing::Test {
 protected:
  void SetUp() override {
    FakePlatform_Reset();
    SetLogLinesOn(true);
  }
  void TearDown() override { SetLogLinesOn(false); }
};

TEST_F(EventLog, WritesNothingWhileLoggingIsOff) {
  SetLogLinesOn(false);
  WriteLogLine("Event log started.");
  WriteLogLine("Start to render frame #%ld.", 3L);
  EXPECT_TRUE(fake.logWrites.empty());
}

TEST_F(EventLog, EachLineIsOneWriteEndedByCarriageReturnAndLineFeed) {
  WriteLogLine("Event log started.");
  WriteLogLine("Start to render frame #%ld.", -2147483647L - 1);
  WriteLogLine("Retreive mp3 name <%s>.", "C:\\Music\\Demo Song.mp3");
  ASSERT_EQ(fake.logWrites.size(), 3u);
  EXPECT_EQ(fake.logWrites[0], "Event log started.\r\n");
  EXPECT_EQ(fake.logWrites[1], "Start to render frame #-2147483648.\r\n");
  EXPECT_EQ(fake.logWrites[2], "Retreive mp3 name <C:\\Music\\Demo Song.mp3>.\r\n");
}

TEST_F(EventLog, LongMessagesAreCutToFitTheLineBuffer) {
  struct Case { size_t nameLength; size_t expectedMessage; };
  // "Retreive mp3 name <" + name + ">." is 21 characters around the name.
  const Case cases[] = {{176, 197}, {177, 197}, {175, 196}, {400, 197}, {5000, 197}};
  for (const Case& c : cases) {
    FakePlatform_Reset();
    std::string name(c.nameLength, 'n');
    WriteLogLine("Retreive mp3 name <%s>.", name.c_str());
    ASSERT_EQ(fake.logWrites.size(), 1u);
    const std::string& line = fake.logWrites[0];
    EXPECT_EQ(line.size(), c.expectedMessage + 2) << c.nameLength;
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    EXPECT_EQ(line.compare(0, 19, "Retreive mp3 name <"), 0);
    EXPECT_EQ(line.find('\0'), std::string::npos);
  }
}

}  // namespace
