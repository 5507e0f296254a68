#pragma once
// Explorer's StartupApproved flags (Windows 8 and later): Task Manager switches an entry off by
// leaving it where it is and setting a flag of its name, which Explorer honours at log-on.
#include <optional>
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun {

class Action;
struct LocationInfo;
struct StartupRow;

// None: no flag, or a value Explorer does not read as one.
enum class Approval { None, On, Off };

// A REG_BINARY of 12 bytes (a state byte and the FILETIME of the change): off when the state byte's
// low bit is set (Task Manager writes 03; 06 and 07 are seen too), on otherwise.
Approval ApprovalOf(const RegValue& value);

// What Windows writes to switch an entry on: 02 and eleven zero bytes.
std::string EnabledApprovalBytes();

// A location's flags as one listing of their key gave them; not listed when the key is missing or could
// not be listed.
struct ApprovalList {
  bool listed = false;
  std::vector<RegValue> flags;
};
// Asks nothing of an action: a place's flags can be listed while the place itself is read.
ApprovalList ListApprovals(IPlatform& platform, const LocationInfo& location);

// The flags of rows[first...], all of one place; a row Windows will not start loses its check mark.
// From the listing given (listed or not), else listed here; should no listing be had, each row's flag is
// read alone.
void ReadApprovals(Action& action, const LocationInfo& location, std::vector<StartupRow>& rows, size_t first,
                   std::optional<ApprovalList> given = std::nullopt);
std::optional<RegValue> ReadApproval(Action& action, const LocationInfo& location, const std::string& name);
// Journalled; undo puts back the bytes the switch replaced.
void SwitchOnApproval(Action& action, const LocationInfo& location, const std::string& name);
// Only a flag Explorer reads as one; journalled with its bytes.
void DeleteApproval(Action& action, const LocationInfo& location, const std::string& name);

}  // namespace kestrun
