// What each command starts, as the log-on start finds it, over real files of the prefix: one table
// of commands and shortcuts and what they resolve to, from any current folder; and what a run asks
// the machine.
#include <gtest/gtest.h>

#include "base/Text.h"
#include "store/EntryTarget.h"
#include "tests/store/LinkBytes.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun {

void PrintTo(const EntryTarget& t, std::ostream* out) {
  *out << "{" << t.executable.substr(0, 80) << " | " << t.arguments << " | exists " << t.exists << " | unquoted "
       << t.unquotedPath << "}";
}

namespace test {
namespace {

constexpr const char* kTools = "C:\\kt-resolve";
const std::string kSys32 = "C:\\windows\\System32\\";

struct Case {
  int location;
  std::string command;  // a registry entry's text; a file entry's name in kTools
  EntryTarget want;
};

EntryTarget T(std::string executable = {}, std::string arguments = {}, bool exists = false, bool unquoted = false) {
  return {std::move(executable), std::move(arguments), exists, unquoted};
}

const std::vector<Case>& Table() {
  static const std::vector<Case> table = {
      {slUserRun, "C:\\windows\\system32\\notepad.exe /a b", T("C:\\windows\\system32\\notepad.exe", "/a b", true)},
      {slUserRun, "%SystemRoot%\\system32\\notepad.exe -x", T("C:\\windows\\system32\\notepad.exe", "-x", true)},
      {slUserRun, "C:\\Program Files\\Internet Explorer\\iexplore.exe -k",
       T("C:\\Program Files\\Internet Explorer\\iexplore.exe", "-k", true, true)},
      {slUserRun, "\"C:\\Program Files\\No Such\\app.exe\" /q", T("C:\\Program Files\\No Such\\app.exe", "/q")},
      {slUserRun, "C:\\Program Files\\Vendor 00001\\app.exe /background --flag=1",
       T("C:\\Program Files\\Vendor 00001\\app.exe", "/background --flag=1", false, true)},
      {slUserRun, "notepad.exe", T("C:\\windows\\notepad.exe", "", true)},
      {slUserRun, "notepad C:\\x.txt", T("C:\\windows\\notepad.exe", "C:\\x.txt", true)},
      {slUserRun, "hostname.exe\t-a", T(kSys32 + "hostname.exe", "-a", true)},
      {slUserRun, "nosuchprogram -a", T("nosuchprogram", "-a")},
      // A bare name none of the search folders holds: App Paths, its key found whatever its letter case.
      {slUserRun, "KT-APP /z", T("C:\\kt-resolve\\only.exe", "/z", true)},
      {slUserRun, "C:\\kt-resolve\\app -q", T("C:\\kt-resolve\\app.exe", "-q", true)},
      {slUserRun, "c:\\KT-RESOLVE\\APP.EXE", T("c:\\KT-RESOLVE\\APP.EXE", "", true)},
      {slUserRun, "C:\\kt-resolve\\sub dir\\..\\app.exe", T("C:\\kt-resolve\\sub dir\\..\\app.exe", "", true, true)},
      {slUserRun, "C:/kt-resolve/app.exe /s", T("C:/kt-resolve/app.exe", "/s", true)},
      {slUserRun, "\"C:\\kt-resolve\\app.exe\" /again", T("C:\\kt-resolve\\app.exe", "/again", true)},
      {slUserRun, "C:\\kt-resolve\\my app.exe --x", T("C:\\kt-resolve\\my.exe", "app.exe --x", true, true)},
      {slUserRun, "C:\\kt-resolve\\sub dir\\tool.exe", T("C:\\kt-resolve\\sub dir\\tool.exe", "", true, true)},
      {slUserRun, "C:\\kt-resolve\\only.exe now", T("C:\\kt-resolve\\only.exe", "now", true)},
      {slUserRun, "C:\\kt-resolve\\app.exe\\x.exe", T("C:\\kt-resolve\\app.exe\\x.exe")},
      // CreateProcess trims the last part's trailing dots and blanks, and takes the literal form.
      {slUserRun, "C:\\kt-resolve\\app.exe. -t", T("C:\\kt-resolve\\app.exe", "-t", true)},
      {slUserRun, "\"C:\\kt-resolve\\app.exe \" -t", T("C:\\kt-resolve\\app.exe", "-t", true)},
      {slUserRun, "\\\\?\\C:\\kt-resolve\\app.exe -t", T("C:\\kt-resolve\\app.exe", "-t", true)},
      {slUserRun, "\"\\\\?\\C:\\kt-resolve\\app.exe.\"", T("\\\\?\\C:\\kt-resolve\\app.exe.")},
      // A shorter program started in place of a path through an existing folder: the hijack is real.
      {slUserRun, "C:\\kt-resolve\\Program Files\\Beyond Compare 4\\BCClipboard.exe",
       T("C:\\kt-resolve\\Program.exe", "Files\\Beyond Compare 4\\BCClipboard.exe", true, true)},
      {slUserRun, "C:\\kt-resolve\\app.exe C:\\kt-resolve\\sub dir\\x.txt",
       T("C:\\kt-resolve\\app.exe", "C:\\kt-resolve\\sub dir\\x.txt", true)},
      // Hosts are judged by what they run, where their own command line says so exactly.
      {slUserRun, "rundll32.exe shell32.dll,Control_RunDLL", T(kSys32 + "shell32.dll", "Control_RunDLL", true)},
      {slUserRun, "rundll32 C:\\kt-resolve\\gone.dll,Entry a", T("C:\\kt-resolve\\gone.dll", "Entry a")},
      {slUserRun, "rundll32 \"C:\\kt-resolve\\sub dir\\lib.dll\",Run",
       T("C:\\kt-resolve\\sub dir\\lib.dll", "Run", true)},
      {slUserRun, "rundll32 C:\\kt-resolve\\sub dir\\lib.dll,Run",
       T(kSys32 + "rundll32.exe", "C:\\kt-resolve\\sub dir\\lib.dll,Run", true)},
      {slUserRun, "cmd /c start C:\\kt-resolve\\gone.exe", T("C:\\kt-resolve\\gone.exe")},
      {slUserRun, "cmd.exe /q /c start \"\" /min \"C:\\kt-resolve\\sub dir\\tool.exe\" /x",
       T("C:\\kt-resolve\\sub dir\\tool.exe", "/x", true)},
      {slUserRun, "cmd /k C:\\kt-resolve\\run x", T("C:\\kt-resolve\\run.bat", "x", true)},
      {slUserRun, "cmd /c \"\"C:\\kt-resolve\\sub dir\\tool.exe\" -a\"",
       T("C:\\kt-resolve\\sub dir\\tool.exe", "-a", true)},
      {slUserRun, "cmd /c C:\\kt-resolve\\Program Files\\x.exe",
       T("C:\\kt-resolve\\Program.exe", "Files\\x.exe", true, true)},
      // cmd keeps two quotes around an existing program's name, else drops them.
      {slUserRun, "cmd /c \"C:\\kt-resolve\\sub dir\\tool.exe\"", T("C:\\kt-resolve\\sub dir\\tool.exe", "", true)},
      {slUserRun, "cmd /c \"C:\\kt-resolve\\Program Files\\gone.exe\"",
       T("C:\\kt-resolve\\Program.exe", "Files\\gone.exe", true, true)},
      {slUserRun, "cmd /c start notepad", T("C:\\windows\\system32\\notepad.exe", "", true)},
      {slUserRun, "cmd /c echo hi & C:\\x.exe", T(kSys32 + "cmd.exe", "/c echo hi & C:\\x.exe", true)},
      {slUserRun, "cmd /c start \"title only\"", T(kSys32 + "cmd.exe", "/c start \"title only\"", true)},
      {slUserRun, "\"C:\\kt-resolve\\dir.exe\"", T("C:\\kt-resolve\\dir.exe")},
      {slUserRun, "\"C:\\kt-resolve\\sub dir/tool.exe\"", T("C:\\kt-resolve\\sub dir/tool.exe")},
      {slUserRun, "C:\\kt-resolve\\*.exe", T("C:\\kt-resolve\\*.exe")},
      {slUserRun, "CON", T("CON")},
      {slUserRun, "C:\\kt-resolve\\NUL -x", T("C:\\kt-resolve\\NUL", "-x")},
      {slUserRun, "kt-resolve\\app.exe", T("kt-resolve\\app.exe")},
      {slUserRun, "C:\\" + std::string(32000, 'a') + ".exe", T("C:\\" + std::string(32000, 'a') + ".exe")},
      {slUserRun, "  ", T()},
      {slUserRunOnce, "!*C:\\kt-resolve\\app.exe", T("C:\\kt-resolve\\app.exe", "", true)},
      {slUserRun, "!C:\\kt-resolve\\app.exe", T("!C:\\kt-resolve\\app.exe")},
      {slUserStartupFolder, "run.bat", T("C:\\kt-resolve\\run.bat", "", true)},
      {slUserStartupFolder, "gone.lnk", T("C:\\kt-resolve\\gone.exe")},
      {slUserStartupFolder, "app.lnk", T("C:\\kt-resolve\\app.exe", "", true)},
      {slUserStartupFolder, "empty.lnk", T("C:\\kt-resolve\\empty.lnk")},
      {slUserStartupFolder, "absent.lnk", T("C:\\kt-resolve\\absent.lnk")},
      // Shortcuts in the shapes other programs write, read from their own bytes.
      {slUserStartupFolder, "suffix.lnk", T("C:\\kt-resolve\\sub dir\\tool.exe", "-s", true)},
      {slUserStartupFolder, "relative.lnk", T("C:\\kt-resolve\\sub dir\\gone.exe", "-r")},
      {slUserStartupFolder, "items.lnk", T("C:\\kt-resolve\\sub dir\\tool.exe", "-i", true)},
      {slUserStartupFolder, "share.lnk", T("\\\\kt-nowhere\\share\\tools\\tool.exe", "-n")},
      {slUserStartupFolder, "unicode.lnk",
       T(FromWide(L"C:\\kt-resolve\\\u041f\u0440\\\u65e5\u672c.exe"), FromWide(L"-\u00fc"), true)},
      {slUserStartupFolder, "env.lnk", T("C:\\windows\\system32\\hostname.exe", "", true)},
      {slUserStartupFolder, "ansi.lnk", T("C:\\kt-resolve\\sub dir\\gone.exe", "-a")},
      {slUserStartupFolder, "moved.lnk", T("C:\\kt-resolve\\only.exe", "", true)},
      {slUserStartupFolder, "shell.lnk", T("C:\\kt-resolve\\shell.lnk", "-k")},  // no path: arguments still
  };
  return table;
}

class TargetResolverTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    RemoveTree(kTools);
    MakeFolder(kTools);
    MakeFolder(Path("dir.exe"));
    MakeFolder(Path("sub dir"));
    MakeFolder(Path("Program Files"));
    MakeFolder(Path(FromWide(L"\u041f\u0440")));
    for (const char* name : {"app.exe", "my.exe", "my app.exe", "only.exe", "run.bat", "sub dir\\tool.exe",
                             "Program.exe", "sub dir\\lib.dll"})
      MakeFile(Path(name));
    MakeFile(Path(FromWide(L"\u041f\u0440\\\u65e5\u672c.exe")));
    SetString(kUser, kAppPath, "", Path("only.exe"));
    MakeLinks();
    MakeFile(Path("empty.lnk"), FILE_ATTRIBUTE_NORMAL, "");
    ASSERT_HRESULT_SUCCEEDED(platform.CreateLink(Path("app.exe"), Path("app.lnk"), "", kTools));
    ASSERT_HRESULT_SUCCEEDED(platform.CreateLink(Path("gone.exe"), Path("gone.lnk"), "", kTools));
  }
  void TearDown() override {
    DeleteKey(kUser, kAppPath);
    RemoveTree(kTools);
    StartupPrefixTest::TearDown();
  }
  static std::string Path(const std::string& name) { return std::string(kTools) + "\\" + name; }
  static constexpr const char* kAppPath = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\kt-app.exe";
  static void MakeLinks() {
    const std::string tool = "sub dir\\tool.exe";
    const std::string items = ComputerItem() + DriveItem('C') + FileItem(L"kt-resolve", "KT-RES~1");
    const std::vector<std::pair<std::string, LinkBytes>> links = {
        {"suffix.lnk", {.info = LocalInfo(Path(""), tool), .strings = {{kArgs, L"-s"}}}},
        {"relative.lnk", {.strings = {{kRelative, L"..\\kt-resolve\\.\\sub dir\\gone.exe"}, {kArgs, L"-r"}}}},
        {"items.lnk", {.items = items + FileItem(L"sub dir", "SUBDIR~1") + FileItem(L"tool.exe", "TOOL.EXE"),
                       .strings = {{kArgs, L"-i"}}}},
        {"share.lnk", {.info = ShareInfo("\\\\kt-nowhere\\share", "tools\\tool.exe"), .strings = {{kArgs, L"-n"}}}},
        {"unicode.lnk", {.info = LocalInfo(Path("??\\"), "??.exe", ToWide(Path(FromWide(L"\u041f\u0440\\"))),
                                           L"\u65e5\u672c.exe"),
                         .strings = {{kArgs, L"-\u00fc"}}}},
        {"env.lnk", {.info = LocalInfo(Path("gone.exe"), ""),
                     .extra = EnvironmentBlock("%SystemRoot%\\system32\\hostname.exe")}},
        {"ansi.lnk", {.strings = {{kRelative, L"sub dir\\gone.exe"}, {kArgs, L"-a"}}, .unicode = false}},
        {"moved.lnk", {.items = items + FileItem(L"gone.exe", "GONE.EXE"), .strings = {{kRelative, L"only.exe"}}}},
        {"shell.lnk", {.items = ComputerItem(), .strings = {{kArgs, L"-k"}}}},
    };
    for (const auto& [name, link] : links) MakeFile(Path(name), FILE_ATTRIBUTE_NORMAL, link.Bytes());
  }

  static StartupRow RowOf(const Case& c) {
    const bool file = c.location == slUserStartupFolder;
    return {file ? c.command : "entry", file ? Path(c.command) : c.command, true, TKStartupEntry(1, c.location)};
  }
  void ExpectTable(TargetResolver& resolver) {
    for (const Case& c : Table()) EXPECT_EQ(resolver.Resolve(RowOf(c)), c.want) << c.command.substr(0, 80);
  }
};

TEST_F(TargetResolverTest, EachCommandStartsWhatWindowsWouldStartFromAnyFolder) {
  for (const char* folder : {kTools, "C:\\windows\\system32", "C:\\"}) {
    ASSERT_TRUE(SetCurrentDirectoryA(folder)) << folder;
    TargetResolver resolver(platform);
    ExpectTable(resolver);
  }
}

// Counts what a resolver asks of the file system.
class CountingPlatform : public Win32Platform {
 public:
  int probes = 0, listings = 0, keys = 0;
  ErrorCode OpenKey(HKEY root, RegistryView view, const std::string& path, bool create, KeyAccess access,
                    UniqueKey& key) override {
    ++keys;
    return Win32Platform::OpenKey(root, view, path, create, access, key);
  }
  bool FileExists(const std::string& name) override {
    ++probes;
    return Win32Platform::FileExists(name);
  }
  ErrorCode ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    ++listings;
    return Win32Platform::ListFolder(folder, entries);
  }
};

TEST_F(TargetResolverTest, ARunAsksPerFolderNotPerEntryAndForgetsWhenTold) {
  CountingPlatform counted;
  TargetResolver resolver(counted);
  for (int i = 0; i < 300; ++i) {
    const std::string n = std::to_string(i);
    ASSERT_FALSE(resolver.ResolveCommand("C:\\Program Files\\Vendor " + n + "\\app.exe /background --flag=" + n).exists);
    ASSERT_TRUE(resolver.ResolveCommand("C:\\kt-resolve\\sub dir\\tool.exe /n " + n).exists);
    ASSERT_TRUE(resolver.ResolveCommand(i % 2 ? "notepad.exe" : "rundll32 x" + n).exists);
    ASSERT_FALSE(resolver.ResolveCommand("kt-nothing" + n + " -a").exists);
  }
  EXPECT_LE(counted.keys, 2);  // App Paths listed once in each hive, no key opened for a name it lacks
  // C:, Program Files, kt-resolve, sub dir, windows, System32 and the PATH's other folders, once each;
  // until a folder is asked about often enough to be listed, each question is a probe
  EXPECT_LE(counted.listings, 9);
  EXPECT_LE(counted.probes, 9 * 7);
  MakeFile(Path("late.exe"));
  EXPECT_FALSE(resolver.ResolveCommand(Path("late.exe")).exists);
  resolver.Forget();
  EXPECT_TRUE(resolver.ResolveCommand(Path("late.exe")).exists);

  // A folder asked about once, as each package's is, costs a probe: only the folders above are listed.
  CountingPlatform fresh;
  TargetResolver once(fresh);
  for (int i = 0; i < 20; ++i) {
    MakeFolder(Path("package " + std::to_string(i)));
    MakeFile(Path("package " + std::to_string(i) + "\\app.exe"));
  }
  for (int i = 0; i < 20; ++i)
    ASSERT_TRUE(once.ResolveCommand(Path("package " + std::to_string(i) + "\\app.exe")).exists);
  EXPECT_EQ(fresh.listings, 2);  // C: and kt-resolve
  EXPECT_LE(fresh.probes, 2 * 20);  // "package N\\app.exe", and "package.exe" while kt-resolve is unlisted
}

}  // namespace
}  // namespace test
}  // namespace kestrun
