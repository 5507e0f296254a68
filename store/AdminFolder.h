#pragma once
// Whether a folder's security lets only Administrators and SYSTEM write it: what the machine-wide
// journal's folders must show before an elevated Kestrun reads or writes them.
#include <string>

namespace kestrun {

// Why the owner and DACL (SDDL, as the system gives them back) let another account change the folder
// or what it holds; "" when only Administrators and SYSTEM can.
std::string WhyNotAdminOnly(const std::string& sddl);

}  // namespace kestrun
