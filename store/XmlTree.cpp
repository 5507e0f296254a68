// The tree is built from the platform reader's nodes: each child is added only to the innermost open
// element, whose earlier children are all closed, so no pointer in the open list ever moves.
#include "store/XmlTree.h"

#include "base/Text.h"

namespace kestrun {

std::string Utf16Document(const std::string& text) {
  // UTF-16 with its mark: the reader takes the mark over a declaration that names another encoding.
  const std::wstring wide = L"\uFEFF" + ToWide(text);
  return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

HRESULT ReadXmlTree(IPlatform& platform, const std::string& text, unsigned maxDepth, XmlElement& root) {
  return ReadXmlTreeUtf16(platform, Utf16Document(text), maxDepth, root);
}

HRESULT ReadXmlTreeUtf16(IPlatform& platform, const std::string& bytes, unsigned maxDepth, XmlElement& root) {
  root = {};
  std::vector<XmlElement*> open;
  const HRESULT hr = platform.ParseXml(bytes, maxDepth, [&](const XmlNode& node) {
    if (node.kind == XmlNode::Kind::Element) {
      XmlElement* element = open.empty() ? &root : &open.back()->children.emplace_back();
      element->name = node.name;
      open.push_back(element);
    } else if (node.kind == XmlNode::Kind::EndElement) {
      if (!open.empty()) open.pop_back();
    } else if (!open.empty()) {
      open.back()->text += node.text;
    }
  });
  if (FAILED(hr)) root = {};
  return hr;
}

}  // namespace kestrun
