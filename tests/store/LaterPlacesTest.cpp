// The places after the first six: machine Run of 32-bit programs, and RunOnce of both hives.
#include <gmock/gmock.h>

#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using LaterPlacesTest = StartupPrefixTest;

TEST_F(LaterPlacesTest, ParkAndEnableWithinTheirOwnKeys) {
  SetString(kMachine, Version32Key("Run"), "w", "c:\\w.exe");
  SetString(kUser, VersionKey("RunOnce"), "u", "!c:\\u.exe");
  SetString(kMachine, VersionKey("RunOnce"), "*o", "c:\\o.exe", REG_EXPAND_SZ);
  StartupRows rows = Scan();
  ASSERT_EQ(rows.size(), 3u);
  for (StartupRow& row : rows) row.checked = false;
  store.ApplyCheckChanges(rows);

  // The 32-bit parking key lies beside the 32-bit Run key, not in the 64-bit registry.
  EXPECT_EQ(ReadRaw(kMachine, Version32Key("Run-"), "w")->data, std::string("c:\\w.exe", 9));
  EXPECT_EQ(ValueCount(kMachine, VersionKey("Run-")), -1);
  EXPECT_EQ(ValueCount(kMachine, Version32Key("Run")), 0);
  EXPECT_EQ(ReadRaw(kUser, VersionKey("RunOnce-"), "u")->data, std::string("!c:\\u.exe", 10));
  EXPECT_EQ(ReadRaw(kMachine, VersionKey("RunOnce-"), "*o")->type, static_cast<DWORD>(REG_EXPAND_SZ));
  rows = Scan();
  EXPECT_THAT(Flatten(rows), ElementsAre(Row{"w", "c:\\w.exe", false, 0, 64}, Row{"u", "!c:\\u.exe", false, 0, 128},
                                         Row{"*o", "c:\\o.exe", false, 0, 256}));

  for (StartupRow& row : rows) row.checked = true;
  store.ApplyCheckChanges(rows);
  EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"w", "c:\\w.exe", true, 1, 64}, Row{"u", "!c:\\u.exe", true, 1, 128},
                                           Row{"*o", "c:\\o.exe", true, 1, 256}));
  EXPECT_EQ(ValueCount(kMachine, Version32Key("Run-")), 0);
}

TEST_F(LaterPlacesTest, RemoveTakesTheValueFromTheRightView) {
  SetString(kMachine, Version32Key("Run"), "same", "c:\\32.exe");
  SetString(kMachine, VersionKey("Run"), "same", "c:\\64.exe");
  const StartupRows rows = Scan();
  ASSERT_EQ(rows.size(), 2u);
  store.RemoveEntry(rows[1]);
  EXPECT_THAT(Flatten(Scan()), ElementsAre(Row{"same", "c:\\64.exe", true, 1, 16}));
}

}  // namespace
}  // namespace kestrun::test
