// The scan's cost against the least any scanner must pay: enumerating the same values and files with
// raw API calls, in the same process and prefix. Seeds 1,000 then 10,000 values in HKCU Run and
// 100 then 1,000 files in the per-user Startup folder; prints the medians and their ratio, and fails
// when the scan costs more than 1.5 times the baseline. `scan_bench seed VALUES FILES [unquoted|mixed]
// [TASKS [PACKAGES]]` only seeds (bench/Seed.h); `scan_bench resolve` times the scan and the resolution
// of every entry's program on the machine as it is, and counts what resolving asks of the file system;
// `scan_bench phases` times each place's scan and the platform calls the scan and the resolution spend
// their time in.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "bench/Seed.h"
#include "store/EntryTarget.h"
#include "store/StartupApproved.h"
#include "store/StartupStore.h"
#include "tests/store/FaultyPlatform.h"
#include "tests/store/PrefixSeed.h"

namespace kestrun::bench {
namespace {

using test::Op;

constexpr int kRepeats = 7;
constexpr double kTarget = 1.5;

class SilentReport : public IErrorReport {
 public:
  void Report(const Failure& failure) override {
    std::fprintf(stderr, "scan reported: %s\n", FailureLine(failure).c_str());
  }
};

// What any scanner must do: every name and data of the key, every name of the folder.
size_t Baseline() {
  size_t found = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, test::VersionKey("Run").c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD count = 0, maxName = 0, maxData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName, &maxData,
                     nullptr, nullptr);
    std::vector<char> nameBuf(maxName * 3 + 1), dataBuf(maxData + 1);
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(count);
    for (DWORD i = 0;; ++i) {
      DWORD nameLen = static_cast<DWORD>(nameBuf.size()), dataLen = static_cast<DWORD>(dataBuf.size()), type = 0;
      if (RegEnumValueA(key, i, nameBuf.data(), &nameLen, nullptr, &type,
                        reinterpret_cast<BYTE*>(dataBuf.data()), &dataLen) != ERROR_SUCCESS)
        break;
      values.emplace_back(std::string(nameBuf.data(), nameLen), std::string(dataBuf.data(), dataLen));
    }
    RegCloseKey(key);
    found += values.size();
  }
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((UserStartup() + "\\*.*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    std::vector<std::string> names;
    do {
      if (std::strcmp(data.cFileName, ".") && std::strcmp(data.cFileName, "..")) names.emplace_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    found += names.size();
  }
  return found;
}

size_t Scan(StartupStore& store) {
  StartupRows rows;
  store.LoadStartupList(rows);
  return rows.size();
}

double Milliseconds(const std::function<size_t()>& run, size_t& found) {
  const auto start = std::chrono::steady_clock::now();
  found = run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void PrintCalls(StartupStore& store, test::FaultyPlatform& counted) {
  counted.ClearLog();
  Scan(store);
  std::printf("  platform calls in one scan: OpenKey %d, EnumValues %d, QueryValue %d, ListFolder %d, "
              "CreateFolder %d\n",
              counted.Calls(Op::OpenKey), counted.Calls(Op::EnumValues), counted.Calls(Op::QueryValue),
              counted.Calls(Op::ListFolder), counted.Calls(Op::CreateFolder));
}

// Returns the ratio scan / baseline, or -1 when the scan missed entries.
double Measure(int values, int files) {
  SeedStartup(values, files);
  SilentReport report;
  test::FaultyPlatform counted;
  StartupStore store(SystemPlatform(), report);
  StartupStore countedStore(counted, report);
  size_t scanned = 0, listed = 0;
  Milliseconds([&] { return Scan(store); }, scanned);  // warm-up: the disabled folder is made here
  std::vector<double> scanTimes, baseTimes;
  for (int i = 0; i < kRepeats; ++i) {
    baseTimes.push_back(Milliseconds(Baseline, listed));
    scanTimes.push_back(Milliseconds([&] { return Scan(store); }, scanned));
  }
  const double scan = Median(scanTimes), base = Median(baseTimes);
  std::printf("%6d values + %5d files: scan %8.1f ms, baseline %8.1f ms, ratio %.2f (median of %d)\n", values,
              files, scan, base, scan / base, kRepeats);
  PrintCalls(countedStore, counted);
  if (scanned != static_cast<size_t>(values + files) || listed != scanned) {
    std::printf("  scan found %zu entries, baseline %zu, expected %d\n", scanned, listed, values + files);
    return -1;
  }
  return scan / base;
}

// Counts what resolution asks of the file system; the scan before it calls from as many threads as the
// machine's own platform.
class CountingPlatform : public Win32Platform {
 public:
  CountingPlatform() : Win32Platform(SystemPlatform().Concurrency()) {}
  std::atomic<int> probes = 0, listings = 0, links = 0;
  bool FileExists(const std::string& name) override { return ++probes, Win32Platform::FileExists(name); }
  ErrorCode FileSize(const std::string& path, std::uint64_t& size) override {
    return ++probes, Win32Platform::FileSize(path, size);
  }
  ErrorCode ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    return ++listings, Win32Platform::ListFolder(folder, entries);
  }
  HRESULT ReadShellLink(const std::string& link, std::string& target, std::string& arguments) override {
    return ++links, Win32Platform::ReadShellLink(link, target, arguments);
  }
};

// Every row's program, looked for as `kestrun-cli list` does; how many exist.
size_t ResolveAll(IPlatform& platform, const StartupRows& rows) {
  TargetResolver resolver(platform);
  size_t existing = 0;
  for (const StartupRow& row : rows) existing += resolver.Resolve(row).exists;
  return existing;
}

// One run's scan and resolution, as `kestrun-cli list` does them: the medians of five.
int ResolveTimes() {
  SilentReport report;
  CountingPlatform counted;
  StartupStore store(counted, report);
  StartupRows rows;
  std::vector<double> scanTimes, resolveTimes;
  size_t found = 0;
  for (int i = 0; i < 5; ++i) {
    scanTimes.push_back(Milliseconds([&] { return Scan(store); }, found));
    store.LoadStartupList(rows);
    counted.probes = counted.listings = counted.links = 0;
    resolveTimes.push_back(Milliseconds(
        [&] {
          return ResolveAll(counted, rows);
        },
        found));
  }
  std::printf("scan %.0f ms; resolution %.0f ms for %zu entries (%zu programs found; file probes %d, folder "
              "listings %d, shortcuts read %d) (median of 5)\n",
              Median(scanTimes), Median(resolveTimes), rows.size(), found, counted.probes.load(), counted.listings.load(),
              counted.links.load());
  return 0;
}


// Where one scan's time goes: each place's scan, and the time spent in each platform call (summed over
// the threads that make them at once, as many as the machine's own platform).
class TimingPlatform : public Win32Platform {
 public:
  TimingPlatform() : Win32Platform(SystemPlatform().Concurrency()) {}
  struct Spent {
    int calls = 0;
    double ms = 0;
  };
  std::map<std::string, Spent> spent;

  template <typename Call>
  auto Timed(const char* what, Call call) {
    const auto start = std::chrono::steady_clock::now();
    auto result = call();
    const std::lock_guard<std::mutex> hold(lock_);
    Spent& s = spent[what];
    ++s.calls;
    s.ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return result;
  }
  ErrorCode OpenKey(HKEY root, RegistryView view, const std::string& path, bool create, KeyAccess access,
                    UniqueKey& key) override {
    return Timed("OpenKey", [&] { return Win32Platform::OpenKey(root, view, path, create, access, key); });
  }
  ErrorCode EnumValues(HKEY key, std::vector<RegValue>& values) override {
    return Timed("EnumValues", [&] { return Win32Platform::EnumValues(key, values); });
  }
  ErrorCode QueryValue(HKEY key, const std::string& name, RegValue& value) override {
    return Timed("QueryValue", [&] { return Win32Platform::QueryValue(key, name, value); });
  }
  ErrorCode EnumSubKeys(HKEY key, std::vector<std::string>& names) override {
    return Timed("EnumSubKeys", [&] { return Win32Platform::EnumSubKeys(key, names); });
  }
  ErrorCode ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    return Timed("ListFolder", [&] { return Win32Platform::ListFolder(folder, entries); });
  }
  ErrorCode ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& data) override {
    return Timed("ReadSmallFile", [&] { return Win32Platform::ReadSmallFile(path, limit, data); });
  }
  ErrorCode ReadSmallFileAt(HANDLE folder, const std::string& name, std::uint64_t limit, std::string& data) override {
    return Timed("ReadSmallFileAt", [&] { return Win32Platform::ReadSmallFileAt(folder, name, limit, data); });
  }
  ErrorCode OpenAt(HANDLE folder, const std::string& name, FileOpen how, UniqueFile& file,
                   const std::string& sddl = {}) override {
    return Timed("OpenAt", [&] { return Win32Platform::OpenAt(folder, name, how, file, sddl); });
  }
  ErrorCode FileStamp(const std::string& path, std::uint64_t& size, std::uint64_t& written) override {
    return Timed("FileStamp", [&] { return Win32Platform::FileStamp(path, size, written); });
  }
  bool FileExists(const std::string& name) override {
    return Timed("FileExists", [&] { return Win32Platform::FileExists(name); });
  }
  ErrorCode FileSize(const std::string& path, std::uint64_t& size) override {
    return Timed("FileSize", [&] { return Win32Platform::FileSize(path, size); });
  }
  std::string SpelledPath(const std::string& path) override {
    return Timed("SpelledPath", [&] { return Win32Platform::SpelledPath(path); });
  }
  std::string ExpandEnvironment(const std::string& text) override {
    return Timed("ExpandEnvironment", [&] { return Win32Platform::ExpandEnvironment(text); });
  }
  HRESULT ParseXml(const std::string& bytes, unsigned maxDepth,
                   const std::function<void(const XmlNode&)>& visit) override {
    return Timed("ParseXml", [&] { return Win32Platform::ParseXml(bytes, maxDepth, visit); });
  }
  HRESULT LoadIndirectString(const std::string& source, std::string& text) override {
    return Timed("LoadIndirectString", [&] { return Win32Platform::LoadIndirectString(source, text); });
  }
  UserIdentity CurrentUser() override {
    return Timed("CurrentUser", [&] { return Win32Platform::CurrentUser(); });
  }
  HRESULT ReadShellLink(const std::string& link, std::string& target, std::string& arguments) override {
    return Timed("ReadShellLink", [&] { return Win32Platform::ReadShellLink(link, target, arguments); });
  }
  ErrorCode ReadLinkFile(const std::string& link, std::size_t limit, std::string& bytes) override {
    return Timed("ReadLinkFile", [&] { return Win32Platform::ReadLinkFile(link, limit, bytes); });
  }

 private:
  std::mutex lock_;
};

// `scan_bench phases`: each place's scan and the resolution timed on their own, with the platform calls
// each spends its time in (the last of three runs).
int PhaseTimes() {
  SilentReport report;
  TimingPlatform timed;
  StartupStore store(timed, report);
  StartupRows rows;
  for (int run = 0; run < 3; ++run) {
    const bool last = run == 2;
    rows.clear();
    timed.spent.clear();
    Action action = store.Begin();
    const std::span<const LocationInfo> all = Locations();
    const auto place = [&](const LocationInfo& location, bool live) {
      const size_t first = rows.size();
      const auto start = std::chrono::steady_clock::now();
      KindOf(location).Scan(action, location, live, rows);
      ReadApprovals(action, location, rows, first);
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      if (last)
        std::printf("  %-28s %-8s %6zu rows %8.1f ms\n", PlaceName(location.code), live ? "live" : "disabled",
                    rows.size() - first, ms);
    };
    for (const bool live : {true, false})
      for (const LocationInfo& location : all.first(kFirstLocations)) place(location, live);
    for (const LocationInfo& location : all.subspan(kFirstLocations)) {
      place(location, true);
      place(location, false);
    }
  }
  const auto print = [&](const char* what) {
    std::printf("  %s calls:\n", what);
    for (const auto& [name, s] : timed.spent)
      std::printf("    %-20s %6d calls %8.1f ms\n", name.c_str(), s.calls, s.ms);
  };
  print("scan");
  timed.spent.clear();
  const auto start = std::chrono::steady_clock::now();
  const size_t existing = ResolveAll(timed, rows);
  std::printf("  resolution %8.1f ms (%zu of %zu found)\n",
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(), existing,
              rows.size());
  print("resolution");
  return 0;
}

}  // namespace
}  // namespace kestrun::bench

int main(int argc, char** argv) {
  using namespace kestrun::bench;
  if (argc >= 4 && std::string(argv[1]) == "seed") {
    const bool unquoted = argc > 4 && std::string(argv[4]) == "unquoted";
    SeedStartup(std::atoi(argv[2]), std::atoi(argv[3]), unquoted ? Commands::Unquoted : Commands::Mixed,
                argc > 5 ? std::atoi(argv[5]) : 0);
    if (argc > 6) SeedPackages(std::atoi(argv[6]));
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "resolve") return ResolveTimes();
  if (argc == 2 && std::string(argv[1]) == "phases") return PhaseTimes();
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  const double small = Measure(1000, 100);
  const double large = Measure(10000, 1000);
  ClearStartup();
  const bool ok = small > 0 && large > 0 && small <= kTarget && large <= kTarget;
  std::printf("%s (target: scan at most %.1f times the baseline)\n", ok ? "ok" : "TARGET MISSED", kTarget);
  std::fflush(stdout);
  return ok ? 0 : 1;
}
