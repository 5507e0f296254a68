#pragma once

// The maker's addresses, reserved ".example" names; tools/art/make-bitmaps.sh paints the same ones.
namespace kestrun {

inline constexpr const char* kWebSite = "http://www.tamselsoft.example/";
inline constexpr const char* kOrderPage1 = "http://www.tamselsoft.example/order/disktally.html";
inline constexpr const char* kOrderPage2 = "http://www.tamselsoft.example/order/clipkeeper.html";
inline constexpr const char* kSupportMail = "support@tamselsoft.example";

}  // namespace kestrun
