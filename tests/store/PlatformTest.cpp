// The platform layer's own promises.
#include <windows.h>
#include <shellapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/Concurrent.h"
#include "base/Inflate.h"
#include "base/Text.h"
#include "base/Texts.h"
#include "base/ThreadScope.h"
#include "store/platform/SafeFiles.h"
#include "store/platform/TextIds.h"
#include "store/platform/Win32Platform.h"
#include "tests/store/PrefixSeed.h"

namespace kestrun::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

TEST(SystemErrorText, IsTheSystemTextWithoutLineEndOrSaysWhichCode) {
  const std::string text = SystemPlatform().SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_THAT(text, Not(HasSubstr("2 (0x")));
  // Codes the system has no text for.
  EXPECT_THAT(SystemPlatform().SystemErrorText(99999), HasSubstr("99999"));
  EXPECT_THAT(SystemPlatform().SystemErrorText(0xE0001234), HasSubstr("E0001234"));
  EnglishTexts english;
  EXPECT_EQ(SystemPlatform().SystemErrorText(99999), "System error 99999 (0x0001869F).");
}

// Each placeholder is filled once with its argument as it is: a name holding "%1" is not read again.
TEST(Texts, PutEachArgumentInOnceAsItIs) {
  EXPECT_EQ(FormatText("%2 before %1, 100%% of %3% %0", {"a", "b%1", "%%"}), "b%1 before a, 100% of %%% %0");
  EXPECT_EQ(FormatText("%9|%1%1|%4", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}), "9|11|4");
  EXPECT_EQ(FormatText("%1 and %2", {"only"}), "only and ");
  // The registry's messages, which scripts may match, read as they always have.
  EnglishTexts english;
  EXPECT_EQ(Text(IDS_INVALID_DATA_TYPE, {"%1"}), "Invalid data type for '%1'");
  EXPECT_EQ(Text(IDS_GET_DATA_FAILED, {"a b"}), "Failed to get data for 'a b'");
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

// Wine keeps only what mode bits say (its own user as every owner), but another account let in shows.
TEST(FolderSecurity, IsReadBackFromEachFolderAsMade) {
  Win32Platform platform;
  std::string admins, open;
  for (auto [sddl, asked] : {std::pair{&admins, "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"},
                             std::pair{&open, "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;WD)"}}) {
    const std::string folder = platform.ProgramData() + "\\KestrunSecurityProbe";
    {
      SafeFiles files(platform, platform.ProgramData(), "ProgramData");
      OpenFolder open;
      EXPECT_EQ(files.Walk(folder, open, Make::Last, asked), ERROR_SUCCESS) << asked;
      EXPECT_EQ(files.Security(open, *sddl), ERROR_SUCCESS) << asked;
    }
    RemoveDirectoryW(ToWide(folder).c_str());
  }
  EXPECT_THAT(admins, AllOf(StartsWith("O:"), HasSubstr("D:"), Not(HasSubstr(";WD)"))));
  EXPECT_THAT(open, HasSubstr(";WD)"));
  // Claimed where the owner asked for is not read back, every machine journal would be refused.
  EXPECT_EQ(platform.KeepsFileSecurity(), admins.rfind("O:BAD:", 0) == 0) << admins;
}

TEST(SpelledPath, TakesEachPartAsListedUpToTheFirstMissingOne) {
  Win32Platform platform;
  MakeFolder("C:\\KestrunSpelled");
  MakeFolder("C:\\KestrunSpelled\\Mixed Case");
  EXPECT_EQ(platform.SpelledPath("C:\\KESTRUNspelled\\mixed case\\No Such\\part"),
            "C:\\KestrunSpelled\\Mixed Case\\No Such\\part");
  EXPECT_EQ(platform.SpelledPath("kestrunspelled\\mixed case"), "kestrunspelled\\mixed case");  // not absolute
  RemoveDirectoryW(L"C:\\KestrunSpelled\\Mixed Case");
  RemoveDirectoryW(L"C:\\KestrunSpelled");
}

// A folder on the store's way stays put while held; one only looked into can be renamed meanwhile.
TEST(FolderHeld, BlocksARenameOnlyWhenOnTheWay) {
  Win32Platform platform;
  MakeFolder("C:\\KestrunHeld");
  for (auto [how, renames] : {std::pair{FileOpen::Folder, false}, std::pair{FileOpen::Look, true}}) {
    UniqueFile held;
    ASSERT_EQ(platform.OpenAt(INVALID_HANDLE_VALUE, "C:\\KestrunHeld", how, held), ERROR_SUCCESS);
    EXPECT_EQ(MoveFileW(L"C:\\KestrunHeld", L"C:\\KestrunMoved") != FALSE, renames);
    MoveFileW(L"C:\\KestrunMoved", L"C:\\KestrunHeld");
  }
  RemoveDirectoryW(L"C:\\KestrunHeld");
}

// A key large enough to be read on several threads comes back exactly as one thread reads it, in its
// order, long names and large data included.
TEST(EnumValues, ALargeKeyReadsAsOneThreadWouldReadIt) {
  Win32Platform platform(8);
  const std::string path = "Software\\KestrunLarge";
  DeleteKey(HKEY_CURRENT_USER, path);
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string(i);
    SetString(HKEY_CURRENT_USER, path, i == 1500 ? std::string(5000, 'n') : "Value " + n,
              i == 2999 ? std::string(20000, 'd') : "C:\\Program Files\\Vendor " + n + "\\app.exe /b");
  }
  SetDword(HKEY_CURRENT_USER, path, "Number", 7);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, ToWide(path).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  std::vector<RegValue> values;
  ASSERT_EQ(platform.EnumValues(key, values), ERROR_SUCCESS);
  ASSERT_EQ(values.size(), 3001u);
  for (DWORD i = 0; i < values.size(); ++i) {
    std::wstring name(16384, L'\0');
    std::string data(65536, '\0');
    DWORD nameLength = static_cast<DWORD>(name.size()), dataLength = static_cast<DWORD>(data.size()), type = 0;
    ASSERT_EQ(RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                            &dataLength), ERROR_SUCCESS);
    ASSERT_EQ(values[i].name, FromWide(name.substr(0, nameLength))) << i;
    ASSERT_EQ(values[i].type, type) << i;
    ASSERT_EQ(values[i].data, data.substr(0, dataLength)) << i;
  }
  RegCloseKey(key);
  DeleteKey(HKEY_CURRENT_USER, path);
}

// Each thread's kept object goes on that thread when its work ends, before the work is awaited: never
// at thread exit, where MinGW's emulated TLS may already have freed it.
struct Kept {
  static inline std::mutex lock;
  static inline std::vector<std::pair<DWORD, DWORD>> gone;  // made on, released on
  DWORD madeOn = GetCurrentThreadId();
  ~Kept() {
    const std::lock_guard<std::mutex> hold(lock);
    gone.emplace_back(madeOn, GetCurrentThreadId());
  }
};

TEST(ThreadScope, KeepsOneObjectPerThreadAndReleasesItOnThatThreadBeforeItsWorkIsAwaited) {
  Kept::gone.clear();
  EXPECT_EQ(ThreadScope::Get<Kept>(), nullptr);  // a thread without a scope makes its own
  {
    const ThreadObject<Kept> own;
    EXPECT_EQ(own->madeOn, GetCurrentThreadId());
  }
  EXPECT_EQ(Kept::gone.size(), 1u);  // and it goes with that use
  Kept::gone.clear();
  std::atomic<int> asked = 0;
  ForEachConcurrently(64, 4, [&](std::size_t) {
    Kept* kept = ThreadScope::Get<Kept>();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept, ThreadScope::Get<Kept>());
    EXPECT_EQ(kept->madeOn, GetCurrentThreadId());
    ++asked;
    Sleep(1);
  });
  EXPECT_EQ(asked, 64);
  ASSERT_GE(Kept::gone.size(), 2u);  // the helpers' and the caller's, all released by now
  ASSERT_LE(Kept::gone.size(), 4u);
  for (const auto& [madeOn, releasedOn] : Kept::gone) EXPECT_EQ(madeOn, releasedOn);
  Kept::gone.clear();
  {
    const ThreadScope outer;
    Kept* kept = ThreadScope::Get<Kept>();
    {
      const ThreadScope inner;
      EXPECT_EQ(ThreadScope::Get<Kept>(), kept);
    }
    EXPECT_TRUE(Kept::gone.empty());  // an inner scope keeps nothing of its own
  }
  EXPECT_EQ(Kept::gone.size(), 1u);
  EXPECT_EQ(ThreadScope::Get<Kept>(), nullptr);
}

TEST(ForEachConcurrently, DoesEachItemOnceAndRaisesAFailureAfterAllStopped) {
  std::vector<std::atomic<int>> done(5000);
  ForEachConcurrently(done.size(), 8, [&](std::size_t i) { ++done[i]; });
  for (const std::atomic<int>& count : done) ASSERT_EQ(count, 1);
  std::atomic<int> running = 0, after = 0;
  EXPECT_THROW(ForEachConcurrently(1000, 8,
                                   [&](std::size_t i) {
                                     ++running;
                                     if (i == 10) throw std::runtime_error("stop");
                                     Sleep(1);
                                     --running;
                                     ++after;
                                   }),
               std::runtime_error);
  EXPECT_EQ(running, 1);  // only the one that threw is still counted: the others had finished
  EXPECT_LT(after, 999);  // and they stopped taking items
  ForEachConcurrently(0, 8, [](std::size_t) { FAIL(); });
}

std::vector<std::uint8_t> FromHex(std::string_view hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(at, 2)), nullptr, 16)));
  return bytes;
}

std::optional<std::string> Inflated(const std::vector<std::uint8_t>& packed, std::size_t limit = 1000) {
  const auto bytes = Inflate(packed.data(), packed.size(), limit);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// zlib's own output at levels 0 and 9: a stored block, a fixed-code one, and a dynamic-code one.
TEST(Inflate, ReadsEachKindOfBlockAndRefusesAnyDamage) {
  EXPECT_EQ(Inflated(FromHex("7801010700f8ff4b65737472756e0b2f02ed")), "Kestrun");
  EXPECT_EQ(Inflated(FromHex("78daf34e2d2e292acd53f046a5016aaf0905")), "Kestrun Kestrun Kestrun");
  const std::string text = "Kestrun lists every program Windows starts at log-on, and switches each off and on again. ";
  const std::vector<std::uint8_t> dynamic = FromHex(
      "78dad58ccb0d80300cc5567903008b7400ce11f427950425818aeda9d882ab2d3b4473bd18ad9a1be21df5c1a992950eac9577e906"
      "73d221c9d124cfc213887758afbe953822da0a24a58f0a8332555e107e787e016e3361db");
  EXPECT_EQ(Inflated(dynamic), text + text + text);
  EXPECT_EQ(Inflated(dynamic, 3 * text.size() - 1), std::nullopt);  // more than asked for
  for (std::size_t size = 0; size < dynamic.size(); ++size)
    EXPECT_EQ(Inflated({dynamic.begin(), dynamic.begin() + size}), std::nullopt) << "cut at " << size;
  for (std::size_t at = 0; at < dynamic.size(); ++at) {
    if (at == dynamic.size() - 5) continue;  // the last packed byte: its bits past the end are never read
    std::vector<std::uint8_t> damaged = dynamic;
    damaged[at] ^= 0x5A;
    EXPECT_EQ(Inflated(damaged), std::nullopt) << "changed at " << at;
  }
}

TEST(Smoke, Utf8CodePage) { EXPECT_EQ(GetACP(), 65001u); }  // names outside the legacy code page need it

}  // namespace
}  // namespace kestrun::test
