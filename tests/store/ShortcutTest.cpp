// Creating a startup shortcut: the order of checks, what the link holds, and every refusal.
#include <shlobj.h>

#include "store/StartupShortcut.h"
#include "store/platform/Text.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

struct LinkContents {
  std::string path, description, workingDir;
};

LinkContents ReadLink(const std::string& file) {
  ComApartment com;
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> persist;
  LinkContents contents;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.PutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) ||
      FAILED(persist->Load(ToWide(file).c_str(), STGM_READ)))
    return contents;
  char text[1024] = "";
  link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
  contents.path = text;
  link->GetDescription(text, sizeof text);
  contents.description = text;
  link->GetWorkingDirectory(text, sizeof text);
  contents.workingDir = text;
  return contents;
}

class ShortcutTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    MakeFolder("C:\\Tools");
    MakeFile(target);
  }
  TCreateShortcutResult Create(const std::string& file, const std::string& name) {
    return CreateStartupShortcut(platform, registry, file, name);
  }
  const std::string target = "C:\\Tools\\app.exe";
  TRegistry registry{platform};
};

TEST_F(ShortcutTest, WritesPathDescriptionAndWorkingDirectory) {
  const TCreateShortcutResult result = Create(target, "App");
  ASSERT_EQ(result.Outcome, coWritten);
  EXPECT_EQ(result.Status, S_OK);
  const LinkContents link = ReadLink(userStartup + "\\App.lnk");
  EXPECT_EQ(link.path, target);
  EXPECT_EQ(link.description, "Shortcut to C:\\Tools\\app.exe");
  EXPECT_EQ(link.workingDir, "C:\\Tools\\");
  // The rescan then lists it as an enabled entry of the per-user folder.
  EXPECT_EQ(RowsOf(Scan(), slUserStartupFolder, 1),
            (std::vector<Row>{{"App.lnk", userStartup + "\\App.lnk", true, 1, slUserStartupFolder}}));
}

TEST_F(ShortcutTest, ChecksComeInTheirOrder) {
  EXPECT_EQ(Create("", "").Outcome, coFileNotFound);  // the file test comes first
  EXPECT_EQ(Create("C:\\Tools\\missing.exe", "").Outcome, coFileNotFound);
  EXPECT_EQ(Create("C:\\Tools", "App").Outcome, coFileNotFound);  // a folder is no file
  EXPECT_EQ(Create("C:\\Tools\\*.exe", "App").Outcome, coFileNotFound);  // nor is a pattern
  platform.Fail(Op::OpenKey, ERROR_ACCESS_DENIED, "Shell Folders");
  EXPECT_EQ(Create(target, "").Outcome, coNoShellFolders);
  platform.Heal();
  EXPECT_EQ(Create(target, "").Outcome, coNoDisplayName);
  EXPECT_EQ(platform.Calls(Op::WriteShellLink), 0);
}

TEST_F(ShortcutTest, OddButValidDisplayNamesAreKeptAsGiven) {
  EXPECT_EQ(Create(target, " ").Status, S_OK);
  EXPECT_TRUE(Exists(userStartup + "\\ .lnk"));
  EXPECT_EQ(Create(target, "x.lnk").Status, S_OK);
  EXPECT_TRUE(Exists(userStartup + "\\x.lnk.lnk"));
  EXPECT_EQ(Create(target, "Привет 日本").Status, S_OK);
  EXPECT_EQ(ReadLink(userStartup + "\\Привет 日本.lnk").path, target);
  // Creating again under the same name replaces the first shortcut.
  EXPECT_EQ(Create(target, "x.lnk").Status, S_OK);
}

TEST_F(ShortcutTest, FailuresAreReportedNotPassedOffAsWritten) {
  for (const char* name : {"a:b", "a\\b", "a?b", "a|b", "a\"b", "a<b", "a/b"}) {
    const TCreateShortcutResult result = Create(target, name);
    EXPECT_EQ(result.Outcome, coWritten) << name;
    EXPECT_EQ(result.Status, HRESULT_FROM_WIN32(ERROR_INVALID_NAME)) << name;
  }
  EXPECT_EQ(platform.Calls(Op::WriteShellLink), 0);

  SetShellFolder(HKEY_CURRENT_USER, "Startup", "C:\\no\\such\\folder");
  const TCreateShortcutResult missing = Create(target, "App");
  EXPECT_EQ(missing.Outcome, coWritten);
  EXPECT_TRUE(FAILED(missing.Status));

  SetShellFolder(HKEY_CURRENT_USER, "Startup", userStartup);
  platform.Fail(Op::WriteShellLink, static_cast<ErrorCode>(E_ACCESSDENIED));
  EXPECT_EQ(Create(target, "App").Status, E_ACCESSDENIED);
}

TEST_F(ShortcutTest, OverlongLinkPathIsRefusedWhole) {
  const std::string fits(259 - (userStartup.size() + 1 + 4), 'n');
  EXPECT_EQ(Create(target, fits).Outcome, coWritten);
  EXPECT_EQ(Create(target, fits + "n").Outcome, coLinkPathTooLong);
  EXPECT_EQ(platform.Calls(Op::WriteShellLink), 1);
}

TEST_F(ShortcutTest, NonStringStartupValueRaisesBeforeWriting) {
  SetDword(HKEY_CURRENT_USER, kShellFolders, "Startup", 1);
  EXPECT_THROW(Create(target, "App"), ERegistryError);
  EXPECT_EQ(platform.Calls(Op::WriteShellLink), 0);
}

TEST(MakeDisplayName, TakesTheFilePartWithoutItsLastExtension) {
  EXPECT_EQ(MakeDisplayName("C:\\Program Files\\Tool\\tool.exe"), "tool");
  EXPECT_EQ(MakeDisplayName("C:\\x\\archive.tar.gz"), "archive.tar");
  EXPECT_EQ(MakeDisplayName("C:\\x\\README"), "README");
  EXPECT_EQ(MakeDisplayName("C:\\x\\.hidden"), "");
  EXPECT_EQ(MakeDisplayName("C:\\my.dir\\run"), "run");
  EXPECT_EQ(MakeDisplayName("D:tool.exe"), "tool");
  EXPECT_EQ(FolderPartOf("app.exe"), "");
}

}  // namespace
}  // namespace kestrun::test
