#include "bench/Seed.h"

#include <windows.h>

#include <cstdio>

#include "tests/store/PrefixSeed.h"

namespace kestrun::bench {

std::string UserStartup() { return test::ShellFolder(HKEY_CURRENT_USER, "Startup"); }

void SeedStartup(int values, int files) {
  ClearStartup();
  test::EmptyFolder(test::ShellFolder(HKEY_LOCAL_MACHINE, "Common Startup"));
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, test::VersionKey("Run").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  char name[64], data[128];
  for (int i = 0; i < values; ++i) {
    std::snprintf(name, sizeof name, "Program %06d", i);
    const int size = std::snprintf(data, sizeof data, "\"C:\\Program Files\\Vendor %06d\\app.exe\" /background", i);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(size + 1));
  }
  RegCloseKey(key);
  const std::string folder = UserStartup();
  for (int i = 0; i < files; ++i) {
    std::snprintf(name, sizeof name, "\\Shortcut %04d.lnk", i);
    test::MakeFile(folder + name);
  }
}

void ClearStartup() {
  test::DeleteStartupKeys();
  test::EmptyFolder(UserStartup());
}

}  // namespace kestrun::bench
