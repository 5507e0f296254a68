#pragma once
// Explorer's StartupApproved flags (Windows 8 and later): Task Manager switches an entry off by
// leaving it where it is and setting a flag of its name, which Explorer honours at log-on.
#include <string>

#include "store/platform/Platform.h"

namespace kestrun {

// None: no flag, or a value Explorer does not read as one.
enum class Approval { None, On, Off };

// A REG_BINARY of 12 bytes (a state byte and the FILETIME of the change): off when the state byte's
// low bit is set (Task Manager writes 03; 06 and 07 are seen too), on otherwise.
Approval ApprovalOf(const RegValue& value);

// What Windows writes to switch an entry on: 02 and eleven zero bytes.
std::string EnabledApprovalBytes();

}  // namespace kestrun
