#pragma once
// Formatting rows as aligned text or JSON, and writing whole blocks: under Wine every write to a
// character device is a server round trip, so output is built in memory and written at once.
#include <cstdint>
#include <string>

#include "store/StartupStore.h"

namespace kestrun::cli {

std::string LocationName(std::int32_t code);  // the location's short name, "?" for an unknown code
std::string StateName(const StartupRow& row);  // "enabled" or "disabled", where the entry lies
std::string FormatTable(const StartupRows& rows);
std::string FormatJson(const StartupRows& rows);

void WriteOutput(const std::string& text);
void WriteError(const std::string& text);

}  // namespace kestrun::cli
