#pragma once
// Fixture for tests that run the store against the real registry and folders of the test's prefix:
// every test starts with no Run/RunServices keys (a fresh prefix has winemenubuilder in HKLM
// RunServices), empty Startup folders and no disabled folders, and gets its Shell Folders back.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "store/StartupStore.h"
#include "tests/store/FaultyPlatform.h"
#include "tests/store/PrefixSeed.h"

namespace kestrun::test {

inline const HKEY kUser = HKEY_CURRENT_USER;
inline const HKEY kMachine = HKEY_LOCAL_MACHINE;

// A row flattened for comparison and readable failure output.
struct Row {
  std::string name;
  std::string path;
  bool checked;
  int enabled;
  int location;
  bool operator==(const Row&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Row& row);
std::vector<Row> Flatten(const StartupRows& rows);
// The rows of one place (location code and enabled), in list order.
std::vector<Row> RowsOf(const StartupRows& rows, int location, int enabled);

// The message of the ERegistryError that action raises, or "no error".
std::string RegistryErrorOf(const std::function<void()>& action);

struct ReportedError {
  ErrorCode code;
  std::string subject;
  bool operator==(const ReportedError&) const = default;
};

// Remembers every failure instead of showing it: failed calls and the journal's failures as the code
// and what they were about, refusals as their line.
class RecordingReport : public IErrorReport {
 public:
  void Report(const Failure& failure) override {
    if (failure.kind == Failure::Kind::Refused)
      failures.push_back(FailureLine(failure));
    else
      reports.push_back({failure.code, failure.kind == Failure::Kind::SystemError ? failure.what : FailureLine(failure)});
  }
  std::vector<ReportedError> reports;
  std::vector<std::string> failures;
};

class StartupPrefixTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A scan through the faulty platform (no faults unless the test sets some) into a fresh row list.
  StartupRows Scan();

  std::string userStartup;    // the prefix's "Startup" folder, as Shell Folders names it
  std::string commonStartup;  // the prefix's "Common Startup" folder
  std::string userDisabled;   // their "Disabled Startup Items" siblings
  std::string commonDisabled;
  FaultyPlatform platform;
  RecordingReport report;
  StartupStore store{platform, report};

 private:
  void Clean();
};

}  // namespace kestrun::test
