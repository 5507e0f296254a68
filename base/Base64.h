#pragma once
// Base64 (RFC 4648, with padding): exact bytes carried inside text such as JSON.
#include <optional>
#include <string>

namespace kestrun {

std::string EncodeBase64(const std::string& bytes);
// Nothing when the text is not base64.
std::optional<std::string> DecodeBase64(const std::string& text);

}  // namespace kestrun
