// Creating a startup shortcut: the order of checks, what the link holds, and every refusal.
#include <shlobj.h>

#include "base/Handles.h"
#include "base/Text.h"
#include "store/StartupShortcut.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

struct LinkContents {
  std::string path, description, workingDir;
};

LinkContents ReadLink(const std::string& file) {
  const HRESULT com = CoInitialize(nullptr);
  ScopeExit leave([com] {
    if (SUCCEEDED(com)) CoUninitialize();
  });
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> persist;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.PutVoid())) ||
      FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) ||
      FAILED(persist->Load(ToWide(file).c_str(), STGM_READ)))
    return {};
  char path[MAX_PATH + 1] = "", description[1024] = "", workingDir[MAX_PATH] = "";
  link->GetPath(path, sizeof path, nullptr, SLGP_RAWPATH);
  link->GetDescription(description, sizeof description);
  link->GetWorkingDirectory(workingDir, MAX_PATH);
  return {path, description, workingDir};
}

class ShortcutTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    MakeFolder("C:\\Tools");
    MakeFile(target);
  }
  CreateShortcutResult Create(const std::string& file, const std::string& name) {
    return store.CreateStartupShortcut(file, name);
  }
  const std::string target = "C:\\Tools\\app.exe";
};

TEST_F(ShortcutTest, WritesPathDescriptionAndWorkingDirectoryUnderTheGivenName) {
  const CreateShortcutResult result = Create(target, "App");
  ASSERT_EQ(result.outcome, coWritten);
  EXPECT_EQ(result.status, S_OK);
  const LinkContents link = ReadLink(userStartup + "\\App.lnk");
  EXPECT_EQ(link.path, target);
  EXPECT_EQ(link.description, "Shortcut to C:\\Tools\\app.exe");
  EXPECT_EQ(link.workingDir, "C:\\Tools\\");
  // The rescan then lists it as an enabled entry of the per-user folder.
  EXPECT_EQ(RowsOf(Scan(), slUserStartupFolder, 1),
            (std::vector<Row>{{"App.lnk", userStartup + "\\App.lnk", true, 1, slUserStartupFolder}}));

  // Any name the file system takes is kept as given; the second x.lnk replaces the first.
  for (const std::string name : {" ", "x.lnk", "Привет 日本", "x.lnk"}) {
    EXPECT_EQ(Create(target, name).status, S_OK) << name;
    EXPECT_EQ(ReadLink(userStartup + "\\" + name + ".lnk").path, target) << name;
  }
}

TEST_F(ShortcutTest, ChecksComeInTheirOrder) {
  EXPECT_EQ(Create("", "").outcome, coFileNotFound);  // the file test comes first
  EXPECT_EQ(Create("C:\\Tools\\missing.exe", "").outcome, coFileNotFound);
  EXPECT_EQ(Create("C:\\Tools", "App").outcome, coFileNotFound);  // a folder is no file
  EXPECT_EQ(Create("C:\\Tools\\*.exe", "App").outcome, coFileNotFound);  // nor is a pattern
  platform.Fail(Op::OpenKey, ERROR_ACCESS_DENIED, "Shell Folders");
  EXPECT_EQ(Create(target, "").outcome, coNoShellFolders);
  platform.Heal();
  EXPECT_EQ(Create(target, "").outcome, coNoDisplayName);
  SetDword(HKEY_CURRENT_USER, kShellFolders, "Startup", 1);
  EXPECT_THROW(Create(target, "App"), ERegistryError);
  EXPECT_EQ(platform.Calls(Op::LinkBytes), 0);
}

TEST_F(ShortcutTest, FailuresAreReportedNotPassedOffAsWritten) {
  for (const char* name : {"a:b", "a\\b", "a?b", "a|b", "a\"b", "a<b", "a/b"}) {
    const CreateShortcutResult result = Create(target, name);
    EXPECT_EQ(result.outcome, coWritten) << name;
    EXPECT_EQ(result.status, HRESULT_FROM_WIN32(ERROR_INVALID_NAME)) << name;
  }
  EXPECT_EQ(platform.Calls(Op::LinkBytes), 0);

  SetShellFolder(HKEY_CURRENT_USER, "Startup", "C:\\no\\such\\folder");
  const CreateShortcutResult missing = Create(target, "App");
  EXPECT_EQ(missing.outcome, coWritten);
  EXPECT_TRUE(FAILED(missing.status));

  SetShellFolder(HKEY_CURRENT_USER, "Startup", userStartup);
  platform.Fail(Op::LinkBytes, static_cast<ErrorCode>(E_ACCESSDENIED));
  EXPECT_EQ(Create(target, "App").status, E_ACCESSDENIED);
}

TEST_F(ShortcutTest, OverlongLinkPathOrTargetIsRefusedWhole) {
  const std::string longest(259 - (userStartup.size() + 1 + 4), 'n');
  EXPECT_EQ(Create(target, longest).outcome, coWritten);
  EXPECT_EQ(Create(target, longest + "n").outcome, coLinkPathTooLong);

  // A link keeps its target in MAX_PATH fields: a longer target would come back cut to garbage.
  const std::string folder = "C:\\Tools\\" + std::string(200, 'd');
  MakeFolder(folder);
  const std::string fits = folder + "\\" + std::string(45, 'f') + ".exe";  // 259 characters
  const std::string tooLong = folder + "\\" + std::string(46, 'f') + ".exe";
  MakeFile(fits);
  MakeFile(tooLong);
  ASSERT_EQ(fits.size(), 259u);
  EXPECT_EQ(Create(tooLong, "Long").outcome, coTargetPathTooLong);
  EXPECT_EQ(platform.Calls(Op::LinkBytes), 1);  // the fitting link only
  EXPECT_FALSE(Exists(userStartup + "\\Long.lnk"));
  EXPECT_EQ(Create(fits, "Fits").outcome, coWritten);
  EXPECT_EQ(ReadLink(userStartup + "\\Fits.lnk").path, fits);
  RemoveTree(folder);
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
