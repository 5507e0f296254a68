#include "bench/Seed.h"

#include <windows.h>

#include <cstdio>

#include "base/Text.h"

#include "tests/store/PrefixSeed.h"

namespace kestrun::bench {
namespace {

constexpr const char* kExisting = "C:\\Program Files\\Kestrun Bench";  // holds tool 0.exe ... tool 19.exe
constexpr const char* kPackagesFolder = "C:\\Program Files\\WindowsApps";

// A manifest shaped like a store app's: identity, properties, resources, capabilities, and one
// application with several extensions, one of them its startup task.
std::string BenchManifest(int i) {
  const std::string n = std::to_string(i);
  std::string capabilities;
  for (const char* name : {"internetClient", "privateNetworkClientServer", "microphone", "webcam", "location"})
    capabilities += "    <DeviceCapability Name='" + std::string(name) + "'/>\n";
  std::string types;
  for (int t = 0; t < 24; ++t) types += "          <uap:FileType>.bench" + std::to_string(t) + "</uap:FileType>\n";
  const std::string task = i % 2 ? "<desktop:StartupTask TaskId='Tray' Enabled='true' DisplayName='ms-resource:Tray'/>"
                                 : "<desktop:StartupTask TaskId='Tray' Enabled='true' DisplayName='Bench tray " + n + "'/>";
  return "<?xml version='1.0' encoding='utf-8'?>\n<Package xmlns='http://schemas.microsoft.com/appx/manifest/foundation/"
         "windows10' xmlns:uap='http://schemas.microsoft.com/appx/manifest/uap/windows10' xmlns:desktop='http://"
         "schemas.microsoft.com/appx/manifest/desktop/windows10' xmlns:rescap='http://schemas.microsoft.com/appx/"
         "manifest/foundation/windows10/restrictedcapabilities' IgnorableNamespaces='uap desktop rescap'>\n"
         "  <Identity Name='Bench.App" + n + "' Publisher='CN=Kestrun Bench, O=Tamsel Soft, C=DE' Version='1.0.0.0' "
         "ProcessorArchitecture='x64'/>\n  <Properties><DisplayName>Bench App " + n + "</DisplayName><PublisherDisplayName>"
         "Tamsel Soft</PublisherDisplayName><Logo>Assets\\StoreLogo.png</Logo></Properties>\n  <Dependencies>"
         "<TargetDeviceFamily Name='Windows.Desktop' MinVersion='10.0.17763.0' MaxVersionTested='10.0.22621.0'/>"
         "</Dependencies>\n  <Resources><Resource Language='en-us'/><Resource Language='de-de'/></Resources>\n"
         "  <Applications>\n    <Application Id='App' Executable='Bench" + n + ".exe' EntryPoint='Windows.FullTrust"
         "Application'>\n      <uap:VisualElements DisplayName='Bench App " + n + "' Description='A benchmark package' "
         "BackgroundColor='transparent' Square150x150Logo='Assets\\Square150x150Logo.png' Square44x44Logo='Assets\\"
         "Square44x44Logo.png'><uap:DefaultTile Wide310x150Logo='Assets\\Wide310x150Logo.png'/><uap:SplashScreen "
         "Image='Assets\\SplashScreen.png'/></uap:VisualElements>\n      <Extensions>\n        <uap:Extension "
         "Category='windows.fileTypeAssociation'><uap:FileTypeAssociation Name='bench'><uap:SupportedFileTypes>\n" +
         types + "        </uap:SupportedFileTypes></uap:FileTypeAssociation></uap:Extension>\n        <uap:Extension "
         "Category='windows.protocol'><uap:Protocol Name='bench" + n + "'/></uap:Extension>\n        <desktop:Extension "
         "Category='windows.startupTask'>" + task + "</desktop:Extension>\n      </Extensions>\n    </Application>\n"
         "  </Applications>\n  <Capabilities>\n    <rescap:Capability Name='runFullTrust'/>\n" + capabilities +
         "  </Capabilities>\n</Package>\n";
}

// The command of value i and its type.
int Command(Commands commands, int i, char* data, size_t size, DWORD& type) {
  type = REG_SZ;
  if (commands == Commands::Unquoted)
    return std::snprintf(data, size, "C:\\Program Files\\Vendor %05d\\app.exe /background --flag=1", i);
  switch (i % 10) {
    case 0:
    case 1:
    case 2: return std::snprintf(data, size, "C:\\Program Files\\Vendor %05d\\app.exe /background --flag=%d", i, i % 7);
    case 3: return std::snprintf(data, size, "%s\\tool %d.exe --tray", kExisting, i % 20);
    case 4: return std::snprintf(data, size, "\"C:\\Program Files (x86)\\Vendor %05d\\Updater.exe\" /silent", i);
    // As per-user installers write them: longer than RegEnumValueW reads in one call.
    case 5:
      return std::snprintf(data, size,
                           "\"C:\\Users\\Public\\AppData\\Local\\Vendor %05d\\Update.exe\" --processStart \"App %05d.exe\" "
                           "--process-start-args \"--background --minimized\"",
                           i, i);
    case 6: return std::snprintf(data, size, "\"%s\\tool %d.exe\" -minimized", kExisting, i % 20);
    case 7: return std::snprintf(data, size, i % 20 == 7 ? "rundll32.exe shell32.dll,Control_RunDLL %d" : "ctfmon %d", i);
    case 8: type = REG_EXPAND_SZ; return std::snprintf(data, size, "%%ProgramFiles%%\\Vendor %05d\\agent.exe -m", i);
    default: type = REG_EXPAND_SZ; return std::snprintf(data, size, "%%SystemRoot%%\\system32\\hostname.exe %d", i);
  }
}

// In folders of twenty vendors, as Windows writes them (UTF-16 with its mark), started at log-on.
std::string TasksRoot() {
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\System32\\Tasks\\Kestrun Bench";
}

void SeedTasks(int tasks) {
  test::MakeFolder(TasksRoot());
  char folder[MAX_PATH], command[200];
  for (int i = 0; i < tasks; ++i) {
    std::snprintf(folder, sizeof folder, "%s\\Vendor %02d", TasksRoot().c_str(), i % 20);
    if (i < 20) test::MakeFolder(folder);
    if (i % 3 == 0)
      std::snprintf(command, sizeof command, "<Command>C:\\Program Files\\Vendor %05d\\updater.exe</Command>", i);
    else if (i % 3 == 1)
      std::snprintf(command, sizeof command, "<Command>%%SystemRoot%%\\system32\\hostname.exe</Command>");
    else
      std::snprintf(command, sizeof command, "<Command>\"%s\\tool %d.exe\"</Command>", kExisting, i % 20);
    const std::wstring xml = ToWide(
        std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\" "
                    "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Triggers><LogonTrigger>"
                    "<Enabled>true</Enabled></LogonTrigger></Triggers><Settings><Enabled>true</Enabled></Settings>"
                    "<Actions Context=\"Author\"><Exec>") + command + "<Arguments>/logon</Arguments></Exec></Actions></Task>");
    test::MakeFile(std::string(folder) + "\\Task " + std::to_string(i), FILE_ATTRIBUTE_NORMAL,
                   "\xFF\xFE" + std::string(reinterpret_cast<const char*>(xml.data()), xml.size() * sizeof(wchar_t)));
  }
}

// Windows' own switches for one entry in ten, as Task Manager leaves them: most on, one in five off.
void SeedApprovals(const char* place, const char* format, int entries) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, test::ApprovedKey(place).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  char name[64];
  for (int i = 0; i < entries; i += 10) {
    std::snprintf(name, sizeof name, format, i);
    const BYTE flag[12] = {static_cast<BYTE>(i % 50 == 10 ? 3 : 2)};
    RegSetValueExA(key, name, 0, REG_BINARY, flag, sizeof flag);
  }
  RegCloseKey(key);
}

}  // namespace

std::string UserStartup() { return test::ShellFolder(HKEY_CURRENT_USER, "Startup"); }

void SeedStartup(int values, int files, Commands commands, int tasks) {
  ClearStartup();
  test::EmptyFolder(test::ShellFolder(HKEY_LOCAL_MACHINE, "Common Startup"));
  test::MakeFolder(kExisting);
  for (int i = 0; i < 20; ++i) test::MakeFile(std::string(kExisting) + "\\tool " + std::to_string(i) + ".exe");
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, test::VersionKey("Run").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  char name[64], data[160];
  for (int i = 0; i < values; ++i) {
    std::snprintf(name, sizeof name, "Program %06d", i);
    DWORD type = REG_SZ;
    const int size = Command(commands, i, data, sizeof data, type);
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(size + 1));
  }
  RegCloseKey(key);
  const std::string folder = UserStartup();
  for (int i = 0; i < files; ++i) {
    std::snprintf(name, sizeof name, "\\Shortcut %04d.lnk", i);
    test::MakeFile(folder + name);
  }
  SeedApprovals("Run", "Program %06d", values);
  SeedApprovals("StartupFolder", "Shortcut %04d.lnk", files);
  SeedTasks(tasks);
}

void SeedPackages(int packages) {
  test::MakeFolder(kPackagesFolder);
  const std::string appModel = test::kAppModelKey;
  for (int i = 0; i < packages; ++i) {
    const std::string name = "Bench.App" + std::to_string(i);
    const std::string full = name + "_1.0.0.0_x64__benchpub0000", folder = std::string(kPackagesFolder) + "\\" + full;
    test::MakeFolder(folder);
    test::MakeFile(folder + "\\AppxManifest.xml", FILE_ATTRIBUTE_NORMAL, BenchManifest(i));
    test::MakeFile(folder + "\\Bench" + std::to_string(i) + ".exe");
    test::SetString(HKEY_CURRENT_USER, appModel + "\\Repository\\Packages\\" + full, "PackageRootFolder", folder);
    if (i % 3 == 0)
      test::SetDword(HKEY_CURRENT_USER, appModel + "\\SystemAppData\\" + name + "_benchpub0000\\Tray", "State", 1);
  }
}

void ClearStartup() {
  test::DeleteStartupKeys();
  test::RemoveTree(TasksRoot());
  test::EmptyFolder(UserStartup());
}

}  // namespace kestrun::bench
