// The platform layer's own promises, and the fault-injecting platform the store tests rely on.
#include <windows.h>
#include <shellapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "store/platform/Registry.h"
#include "store/platform/Win32Platform.h"
#include "tests/store/FaultyPlatform.h"
#include "tests/store/PrefixSeed.h"

namespace kestrun::test {
namespace {

using ::testing::HasSubstr;

TEST(SystemErrorText, KnownCodeHasTheSystemTextWithoutLineEnd) {
  const std::string text = SystemPlatform().SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_THAT(text, ::testing::Not(HasSubstr("2 (0x")));
}

TEST(SystemErrorText, CodeWithoutSystemTextStillSaysWhichCode) {
  const std::string text = SystemPlatform().SystemErrorText(99999);
  EXPECT_THAT(text, HasSubstr("99999"));
  EXPECT_THAT(SystemPlatform().SystemErrorText(0xE0001234), HasSubstr("E0001234"));
}

TEST(ShellLaunchError, SuccessOnlyAboveThirtyTwo) {
  EXPECT_EQ(ShellLaunchError(33, 0), ERROR_SUCCESS);
  EXPECT_EQ(ShellLaunchError(42, ERROR_FILE_NOT_FOUND), ERROR_SUCCESS);
  for (INT_PTR result = 0; result <= 32; ++result)
    EXPECT_NE(ShellLaunchError(result, 0), ERROR_SUCCESS) << "result " << result;
}

TEST(ShellLaunchError, LastErrorIsTheDetailWhenThereIsOne) {
  EXPECT_EQ(ShellLaunchError(SE_ERR_FNF, ERROR_BAD_EXE_FORMAT), DWORD{ERROR_BAD_EXE_FORMAT});
  EXPECT_EQ(ShellLaunchError(SE_ERR_FNF, 0), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_EQ(ShellLaunchError(SE_ERR_PNF, 0), DWORD{ERROR_PATH_NOT_FOUND});
  EXPECT_EQ(ShellLaunchError(SE_ERR_ACCESSDENIED, 0), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_EQ(ShellLaunchError(SE_ERR_NOASSOC, 0), DWORD{ERROR_NO_ASSOCIATION});
}

TEST(ShellOpen, MissingProgramFailsWithACode) {
  EXPECT_NE(SystemPlatform().ShellOpen(nullptr, "C:\\kestrun-no-such\\program.exe", "", SW_HIDE),
            ERROR_SUCCESS);
}

class RegistryTest : public ::testing::Test {
 protected:
  static constexpr const char* kKey = "Software\\Kestrun test\\Registry";
  void SetUp() override { DeleteKey(HKEY_CURRENT_USER, "Software\\Kestrun test"); }
  void TearDown() override { DeleteKey(HKEY_CURRENT_USER, "Software\\Kestrun test"); }
  FaultyPlatform platform;
  TRegistry registry{platform};
};

TEST_F(RegistryTest, ReadStringRefusesOtherTypesByName) {
  SetDword(HKEY_CURRENT_USER, kKey, "number", 1);
  ASSERT_TRUE(registry.OpenKey(std::string("\\") + kKey, false));
  try {
    registry.ReadString("number");
    FAIL() << "no error";
  } catch (const ERegistryError& error) {
    EXPECT_STREQ(error.what(), "Invalid data type for 'number'");
  }
  EXPECT_EQ(registry.ReadString("missing"), "");
}

TEST_F(RegistryTest, FailedReadAndWriteRaiseTheirErrors) {
  ASSERT_TRUE(registry.OpenKey(std::string("\\") + kKey, true));
  platform.Fail(Op::QueryValue, ERROR_ACCESS_DENIED).Fail(Op::SetValue, ERROR_ACCESS_DENIED);
  EXPECT_THROW(
      {
        try {
          registry.ReadString("x");
        } catch (const ERegistryError& error) {
          EXPECT_STREQ(error.what(), "Failed to get data for 'x'");
          throw;
        }
      },
      ERegistryError);
  EXPECT_THROW(
      {
        try {
          registry.WriteString("y", "text");
        } catch (const ERegistryError& error) {
          EXPECT_STREQ(error.what(), "Failed to set data for 'y'");
          throw;
        }
      },
      ERegistryError);
}

TEST_F(RegistryTest, WriteStringStoresThePlainStringWithItsNul) {
  ASSERT_TRUE(registry.OpenKey(std::string("\\") + kKey, true));
  registry.WriteString("v", "c:\\x.exe");
  const auto raw = ReadRaw(HKEY_CURRENT_USER, kKey, "v");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, DWORD{REG_SZ});
  EXPECT_EQ(raw->data, std::string("c:\\x.exe") + '\0');
}

TEST_F(RegistryTest, FailedOpenKeepsThePreviousKeyAndSameRootKeepsItOpen) {
  SetString(HKEY_CURRENT_USER, kKey, "v", "1");
  ASSERT_TRUE(registry.OpenKey(std::string("\\") + kKey, false));
  EXPECT_FALSE(registry.OpenKey("\\Software\\Kestrun test\\absent", false));
  EXPECT_TRUE(registry.ValueExists("v"));
  registry.SetRoot(HKEY_CURRENT_USER);
  EXPECT_TRUE(registry.ValueExists("v"));
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(registry.HasOpenKey());
}

TEST(FaultyPlatform, FailsOnlyMatchingAndNthCallsAndCountsThemAll) {
  FaultyPlatform platform;
  platform.Fail(Op::ListFolder, ERROR_ACCESS_DENIED, "windows", 2);
  std::vector<FolderEntry> entries;
  EXPECT_EQ(platform.ListFolder("C:\\windows", entries), ERROR_SUCCESS);
  EXPECT_FALSE(entries.empty());
  EXPECT_EQ(platform.ListFolder("C:\\users", entries), ERROR_SUCCESS);
  EXPECT_EQ(platform.ListFolder("C:\\windows", entries), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(platform.ListFolder("C:\\windows", entries), ERROR_SUCCESS);
  EXPECT_EQ(platform.Calls(Op::ListFolder), 4);
  EXPECT_EQ(platform.Calls(Op::ListFolder, "users"), 1);
  EXPECT_EQ(platform.Failures(Op::ListFolder), 1);

  int seen = 0;
  platform.Before(Op::FileExists, [&](const std::string&) { ++seen; });
  platform.Fail(Op::FileExists, ERROR_FILE_NOT_FOUND, "notepad");
  EXPECT_FALSE(platform.FileExists("C:\\windows\\notepad.exe"));
  EXPECT_TRUE(platform.FileExists("C:\\windows\\regedit.exe"));
  EXPECT_EQ(seen, 2);
  platform.Heal();
  EXPECT_TRUE(platform.FileExists("C:\\windows\\notepad.exe"));
  EXPECT_EQ(seen, 2);
}

TEST(FaultyPlatform, RegistrySubjectsNameHiveKeyAndValue) {
  FaultyPlatform platform;
  platform.Fail(Op::QueryValue, ERROR_ACCESS_DENIED, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run-\\x");
  TRegistry registry(platform);
  registry.SetRoot(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run-", true));
  EXPECT_FALSE(registry.ValueExists("x"));
  EXPECT_EQ(platform.Failures(Op::QueryValue), 1);
  EXPECT_EQ(platform.Log().back().subject, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run-\\x");
  DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run-");
}

}  // namespace
}  // namespace kestrun::test
