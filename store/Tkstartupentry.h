#pragma once
// Where a listed entry lay when the list was scanned: live (1) or disabled (0), and its location code.
// An entry switched where it lies (a packaged app's task) is 1 exactly when Windows starts it.
#include <cstdint>

namespace kestrun {

class TKStartupEntry {
 public:
  TKStartupEntry(std::int32_t enabled, std::int32_t location) : Enabled(enabled), Location(location) {}
  [[nodiscard]] std::int32_t GetEnabled() const { return Enabled; }
  [[nodiscard]] std::int32_t GetLocation() const { return Location; }

 private:
  std::int32_t Enabled;
  std::int32_t Location;
};

}  // namespace kestrun
