// Desired-state files: what is refused and why, an export read back, how the machine stands against each item.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "base/Text.h"
#include "cli/DesiredState.h"
#include "store/Locations.h"
#include "store/platform/Win32Platform.h"

namespace kestrun::cli {
namespace {

using ::testing::StartsWith;

class FilePlatform : public Win32Platform {  // every file holds text
 public:
  std::string text;
  ErrorCode ReadFileData(const std::string&, std::string& data) override { data = text; return ERROR_SUCCESS; }
};

StartupRow Row(const std::string& name, std::int32_t location, int live, Approval approved = Approval::None) {
  return {name, "C:\\x.exe", live == 1, TKStartupEntry(live, location), {}, approved};
}

std::optional<std::vector<WantedEntry>> Read(const std::string& text, std::string& error) {
  static FilePlatform platform;
  platform.text = text;
  return ReadDesiredState(platform, "C:\\want.json", error);
}

TEST(DesiredState, AFileItCannotMeanIsRefusedWithTheReason) {
  const std::string deep = R"([{"name":"a","state":"enabled","location":)" + std::string(64, '[') +
                           std::string(64, ']') + "}]";
  const std::pair<std::string, std::string> cases[] = {
      {R"([{"name": 1})", "not a JSON array of {name, location, state}"},
      {R"([{"state": "enabled"}])", R"(an item has no "name")"},
      {R"([{"name": "a", "state": "on"}])", R"('a': "state" must be "enabled" or "disabled")"},
      {R"([{"name": "a", "state": "enabled", "location": "x\ny"}])", "'a': unknown location x\ny: use \"HKCU"},
      {deep, "nested more than 64 deep"},
      {"[" + std::string(16 << 20, ' ') + "]", "larger than 16 MiB"},
      // Two items naming one entry would have apply flip it on every run; no location meets any.
      {R"([{"name":"P","location":"HKCU Run","state":"enabled"},{"name":"p","location":1,"state":"disabled"}])",
       "'P' and 'p' name one entry"},
      {R"([{"name":"a","location":16,"state":"enabled"},{"name":"b","state":"enabled"},)"
       R"({"name":"A","state":"enabled"}])", "'a' and 'A' name one entry"},
      // The parser would obey the last of two keys.
      {R"([{"name":"a","state":"enabled","state":"disabled"}])", "an object holds \"state\" twice"},
      {R"({"entries":[],"entries":[{"name":"a","state":"enabled"}]})", "an object holds \"entries\" twice"},
      {"\xFF\xFE[", "UTF-16 with an odd number of bytes"},
  };
  for (const auto& [text, why] : cases) {
    std::string error;
    EXPECT_FALSE(Read(text, error)) << text.substr(0, 80);
    EXPECT_THAT(error, StartsWith("C:\\want.json: " + why)) << text.substr(0, 80);
  }
}

// An export names every entry where it lies and as it stands: read back, the machine matches it.
TEST(DesiredState, AnExportReadsBackAsTheSameEntriesLoneSurrogatesAndAll) {
  StartupRows rows{Row("lone\xED\xA0\x80", slUserRun, 1), Row("lone\xED\xB0\x81", slUserRun, 0),
                   Row("\xD0\x9F", slMachineRun, 1), Row("off", slUserRun, 1, Approval::Off)};
  const std::string text = FormatDesiredState(rows);
  EXPECT_THAT(text, ::testing::HasSubstr(R"("name": "lone\ud800",)"));
  // Saved by an editor as UTF-16 (either order) or UTF-8 with a byte-order mark, it reads the same.
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (const wchar_t unit : ToWide(text)) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  std::string error;
  for (const std::string& encoded : {little, big, "\xEF\xBB\xBF" + text}) {
    const auto decoded = Read(encoded, error);
    ASSERT_TRUE(decoded) << error;
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ((*decoded)[i].name, rows[i].name);
  }
  const auto items = Read(text, error);
  ASSERT_TRUE(items) << error;
  ASSERT_EQ(items->size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ((*items)[i].name, rows[i].name);
    const Standing standing = Judge(rows, (*items)[i], [](auto&, auto&) { return false; });
    EXPECT_TRUE(standing.error.empty() && !standing.move) << rows[i].name << ": " << standing.error;
  }
}

TEST(DesiredState, EachItemIsMetAMoveAwayOrRefusedWithTheReason) {
  StartupRows rows{Row("plain", slUserRun, 1),    Row("parked", slUserRun, 0), Row("both", slUserRun, 1),
                   Row("both", slUserRun, 0),     Row("Dup", slUserRun, 1),    Row("dup", slMachineRun, 1),
                   Row("off", slUserRun, 1, Approval::Off), Row("half", slUserRun, 1), Row("half", slUserRun, 0)};
  // A move stopped half way left the same bytes in both places: either way finishes it.
  const auto sameBytes = [](const StartupRow& a, const StartupRow&) { return a.name == "half"; };
  // move: the row to move (-1 none); now: the entry is enabled (1), disabled (0), none (-1).
  struct Case { const char* item; int move, now; const char* error; };
  const Case cases[] = {
      {R"("name": "plain", "state": "disabled")", 0, 1, ""},
      {R"("name": "PLAIN", "location": null, "state": "enabled")", -1, 1, ""},
      {R"("name": "parked", "location": "hkcu-run", "state": "enabled")", 1, 0, ""},
      {R"("name": "off", "state": "enabled")", 6, 0, ""},  // in its live place, but Windows will not start it
      {R"("name": "both", "location": "HKCU Run", "state": "disabled")", -1, 1, "'both' (HKCU Run) is both enabled"},
      {R"("name": "half", "state": "disabled")", 7, 1, ""},
      {R"("name": "half", "state": "enabled")", 8, 1, ""},
      {R"("name": "dup", "state": "enabled")", -1, -1, "'dup' is in 2 places: choose one with --location"},
      {R"("name": "dup", "location": 16, "state": "disabled")", 5, 1, ""},
      {R"("name": "\u000b\u0085\ud83d\ude00", "state": "enabled")", -1, -1, "no entry '\v\xC2\x85\xF0\x9F\x98\x80'"},
      {R"("name": "absent", "location": "hklm_run", "state": "enabled")", -1, -1, "no entry 'absent' (HKLM Run)"},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto items = Read("{\"entries\": [{" + std::string(c.item) + "}]}", error);
    ASSERT_THAT(items, ::testing::Optional(::testing::SizeIs(1))) << c.item << ": " << error;
    const Standing standing = Judge(rows, items->front(), sameBytes);
    EXPECT_EQ(standing.move, c.move < 0 ? nullptr : &rows[static_cast<size_t>(c.move)]) << c.item;
    EXPECT_EQ(standing.exists ? int{standing.enabled} : -1, c.now) << c.item;
    EXPECT_TRUE(standing.error.rfind(c.error, 0) == 0 && standing.error.empty() == !*c.error) << standing.error;
  }
}

}  // namespace
}  // namespace kestrun::cli
