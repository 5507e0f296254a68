// Creating a startup shortcut: the order of checks, what the link holds, and every refusal.
#include <shlobj.h>

#include "base/Handles.h"
#include "base/Text.h"
#include "store/EntryTarget.h"
#include "store/ShortcutTarget.h"
#include "store/StartupShortcut.h"
#include "tests/store/LinkBytes.h"
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

// Wine's shell answers for such a link with the short (8.3) form of each name outside ASCII.
TEST_F(ShortcutTest, ALinkOfAUnicodeTargetListsThatTargetWhole) {
  const std::string folder = FromWide(L"C:\\Tools\\\u041f\u0440\u0438\u0432\u0435\u0442 \u65e5\u672c");
  const std::string unicodeTarget = folder + FromWide(L"\\tool \u00fc.exe");
  MakeFolder(folder);
  MakeFile(unicodeTarget);
  ASSERT_EQ(Create(unicodeTarget, "Uni").status, S_OK);
  const EntryTarget resolved = TargetResolver(platform).ResolveFile(userStartup + "\\Uni.lnk");
  EXPECT_EQ(resolved.executable, unicodeTarget);
  EXPECT_TRUE(resolved.exists);
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
  // Devices too, whatever follows the name: the shell would "save" to them and make nothing.
  for (const char* name : {"a:b", "a\\b", "a?b", "a|b", "a\"b", "a<b", "a/b", "NUL", "com1", "nul.txt", "CON.lnk",
                           "Lpt9 ", "aux .x", "COM\xC2\xB9", "conout$"}) {
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

// Bytes placed to end where readable memory ends: a read past them faults, and the test dies.
class Fenced {
 public:
  explicit Fenced(const std::string& bytes) : size_((bytes.size() / 4096 + 1) * 4096) {
    base_ = static_cast<char*>(VirtualAlloc(nullptr, size_ + 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + size_, 4096, PAGE_NOACCESS, &old);
    view_ = std::string_view(base_ + size_ - bytes.size(), bytes.size());
    std::copy(bytes.begin(), bytes.end(), base_ + size_ - bytes.size());
  }
  ~Fenced() { VirtualFree(base_, 0, MEM_RELEASE); }
  Fenced(const Fenced&) = delete;
  Fenced& operator=(const Fenced&) = delete;
  std::string_view View() const { return view_; }

 private:
  size_t size_;
  char* base_ = nullptr;
  std::string_view view_;
};

// A link file is another program's: read whole, then cut short anywhere and with each byte lying.
TEST(ReadLinkData, TakesEveryPartAndNeverReadsOutsideCutOrLyingBytes) {
  const LinkBytes link{
      .items = ComputerItem() + DriveItem('C') + FileItem(L"Tools", "TOOLS") +
               FileItem(L"\u00e9t\u00e9.exe", "ETE~1.EXE"),
      .info = ShareInfo("\\\\server\\share", "app.exe"),
      .strings = {{kRelative, L"..\\a\\b.exe"}, {kWorkDir, L"C:\\w"}, {kArgs, L"-x \u00fc"}},
      .extra = EnvironmentBlock("%SystemRoot%\\e.exe")};
  const std::string bytes = link.Bytes();
  const std::optional<LinkData> read = ReadLinkData(Fenced(bytes).View());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->itemListPath, FromWide(L"C:\\Tools\\\u00e9t\u00e9.exe"));
  EXPECT_EQ(read->infoPath, "\\\\server\\share\\app.exe");
  EXPECT_EQ(read->relativePath, "..\\a\\b.exe");
  EXPECT_EQ(read->arguments, FromWide(L"-x \u00fc"));
  EXPECT_EQ(read->environmentPath, "%SystemRoot%\\e.exe");
  EXPECT_FALSE(ReadLinkData(Fenced(bytes.substr(0, 0x4B)).View()));

  const std::string local = LinkBytes{.info = LocalInfo("C:\\x\\", "y.exe", L"C:\\x\\", L"y.exe")}.Bytes();
  for (const std::string& whole : {bytes, local}) {
    for (size_t n = 0; n < whole.size(); ++n) ReadLinkData(Fenced(whole.substr(0, n)).View());
    for (size_t i = 0x14; i < whole.size(); ++i)
      for (const char lie : {'\x00', '\x7F', '\x80', '\xFF'}) {
        std::string lying = whole;
        lying[i] = lie;
        const std::optional<LinkData> got = ReadLinkData(Fenced(lying).View());
        ASSERT_TRUE(got);
        EXPECT_TRUE(got->itemListPath.empty() || got->itemListPath.substr(1, 2) == ":\\") << i;
      }
  }
}

TEST_F(ShortcutTest, LinkBytesAreReadWholeUpToTheLimitOnly) {
  MakeFile("C:\\Tools\\ten.lnk", FILE_ATTRIBUTE_NORMAL, "0123456789");
  std::string bytes;
  EXPECT_EQ(platform.ReadLinkFile("C:\\Tools\\ten.lnk", 10, bytes), ERROR_SUCCESS);
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_EQ(platform.ReadLinkFile("C:\\Tools\\ten.lnk", 9, bytes), static_cast<ErrorCode>(ERROR_FILE_TOO_LARGE));
  EXPECT_EQ(bytes, "");
}

// What Windows makes of a path a link holds, relative to the link's folder or not.
TEST(LinkPathFrom, MakesTheFullPathWithoutDotsNeverAboveTheRoot) {
  const std::vector<std::tuple<std::string, std::string, std::string>> table = {
      {"C:\\a\\b", "..\\..\\..\\Program Files\\x.exe", "C:\\Program Files\\x.exe"},
      {"C:\\a\\b", ".\\c/./d.exe", "C:\\a\\b\\c\\d.exe"},
      {"C:\\a", "\\x.exe", "C:\\x.exe"},
      {"C:\\a", "D:\\y\\..\\x.exe", "D:\\x.exe"},
      {"C:\\a", "D:x.exe", ""},
      {"\\\\s\\share\\a", "..\\..\\x.exe", "\\\\s\\share\\x.exe"},
      {"\\\\s\\share\\a", "\\x.exe", "\\\\s\\share\\x.exe"},
      {"C:\\a", "\\\\?\\C:\\x.exe.", "\\\\?\\C:\\x.exe."},
      {"", "x.exe", ""},
  };
  for (const auto& [folder, path, full] : table) EXPECT_EQ(LinkPathFrom(folder, path), full) << folder << " " << path;
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
