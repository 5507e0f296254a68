// The platform layer's own promises.
#include <windows.h>
#include <shellapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(SystemErrorText, IsTheSystemTextWithoutLineEndOrSaysWhichCode) {
  const std::string text = SystemPlatform().SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_THAT(text, ::testing::Not(HasSubstr("2 (0x")));
  // Codes the system has no text for.
  EXPECT_THAT(SystemPlatform().SystemErrorText(99999), HasSubstr("99999"));
  EXPECT_THAT(SystemPlatform().SystemErrorText(0xE0001234), HasSubstr("E0001234"));
}

TEST(ShellLaunchError, NeverCallsAFailureSuccessAndPrefersTheLastError) {
  EXPECT_EQ(ShellLaunchError(33, 0), ERROR_SUCCESS);
  EXPECT_EQ(ShellLaunchError(42, ERROR_FILE_NOT_FOUND), ERROR_SUCCESS);
  for (INT_PTR result = 0; result <= 32; ++result)
    EXPECT_NE(ShellLaunchError(result, 0), ERROR_SUCCESS) << "result " << result;
  EXPECT_EQ(ShellLaunchError(SE_ERR_FNF, ERROR_BAD_EXE_FORMAT), DWORD{ERROR_BAD_EXE_FORMAT});
  EXPECT_EQ(ShellLaunchError(SE_ERR_FNF, 0), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_EQ(ShellLaunchError(SE_ERR_PNF, 0), DWORD{ERROR_PATH_NOT_FOUND});
  EXPECT_EQ(ShellLaunchError(SE_ERR_ACCESSDENIED, 0), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_EQ(ShellLaunchError(SE_ERR_NOASSOC, 0), DWORD{ERROR_NO_ASSOCIATION});
  EXPECT_NE(SystemPlatform().ShellOpen(nullptr, "C:\\kestrun-no-such\\program.exe", "", "", SW_HIDE),
            ERROR_SUCCESS);
}

TEST(FolderSecurity, IsReadFromTheFolderMadeWithIt) {
  Win32Platform platform;
  const std::string folder = platform.ProgramData() + "\\KestrunSecurityProbe";
  ASSERT_EQ(platform.CreateSecuredFolder(folder, "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"), ERROR_SUCCESS);
  std::string sddl;
  EXPECT_EQ(platform.FolderSecurity(folder, sddl), ERROR_SUCCESS);
  EXPECT_THAT(sddl, AllOf(StartsWith("O:"), HasSubstr("D:")));
  // Wine reads back its own user as the owner, whatever was asked: nothing to check there.
  EXPECT_FALSE(platform.KeepsFileSecurity());
  RemoveDirectoryW(ToWide(folder).c_str());
}

TEST(Smoke, Utf8CodePage) { EXPECT_EQ(GetACP(), 65001u); }  // names outside the legacy code page need it

}  // namespace
}  // namespace kestrun::test
