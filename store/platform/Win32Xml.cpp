// The system's XML reader (XmlLite), loaded from System32 at its first use: MinGW has its header but
// no import library. Documents are parsed from memory, so the reader never opens a file or address.
#include <shlwapi.h>
#include <xmllite.h>

#include <climits>

#include "base/Handles.h"
#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

CreateReader ReaderFactory() {
  static const UniqueModule module(LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!module) return nullptr;
  return reinterpret_cast<CreateReader>(reinterpret_cast<void*>(GetProcAddress(module.Get(), "CreateXmlReader")));
}

using Visit = std::function<void(const XmlNode&)>;

std::string Text(const WCHAR* text, UINT length) { return FromWide(std::wstring_view(text, length)); }

HRESULT ReadName(IXmlReader& reader, std::string& name, std::string& space) {
  const WCHAR* text = nullptr;
  UINT length = 0;
  if (FAILED(reader.GetLocalName(&text, &length))) return E_FAIL;
  name = Text(text, length);
  if (FAILED(reader.GetNamespaceUri(&text, &length))) return E_FAIL;
  space = Text(text, length);
  return S_OK;
}

HRESULT ReadElement(IXmlReader& reader, XmlNode& node) {
  node.attributes.clear();
  if (FAILED(ReadName(reader, node.name, node.space))) return E_FAIL;
  std::string name, space;
  for (HRESULT hr = reader.MoveToFirstAttribute(); hr == S_OK; hr = reader.MoveToNextAttribute()) {
    if (FAILED(ReadName(reader, name, space))) return E_FAIL;
    if (!space.empty()) continue;  // namespace declarations and qualified attributes
    const WCHAR* text = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetValue(&text, &length))) return E_FAIL;
    node.attributes.emplace_back(name, Text(text, length));
  }
  return reader.MoveToElement();
}

// Gives visit the node the reader stands on; open counts the elements begun and not yet ended.
HRESULT VisitNode(IXmlReader& reader, XmlNodeType type, XmlNode& node, size_t& open, const Visit& visit) {
  if (type == XmlNodeType_Element) {
    const bool empty = reader.IsEmptyElement();
    if (FAILED(ReadElement(reader, node))) return E_FAIL;
    node.kind = XmlNode::Kind::Element;
    visit(node);
    if (!empty) {
      ++open;
      return S_OK;
    }
  } else if (type == XmlNodeType_EndElement) {
    if (open-- == 0 || FAILED(ReadName(reader, node.name, node.space))) return kXmlEndedEarly;
  } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA) {
    const WCHAR* text = nullptr;
    UINT length = 0;
    if (FAILED(reader.GetValue(&text, &length))) return E_FAIL;
    node.kind = XmlNode::Kind::Text;
    node.text = Text(text, length);
    visit(node);
    return S_OK;
  } else {
    return S_OK;  // declarations, comments, processing instructions, white space
  }
  node.kind = XmlNode::Kind::EndElement;
  visit(node);
  return S_OK;
}

HRESULT MakeReader(const std::string& bytes, unsigned maxDepth, ComPtr<IXmlReader>& reader, ComPtr<IStream>& input) {
  const CreateReader create = ReaderFactory();
  if (!create) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  if (bytes.size() > UINT_MAX) return E_INVALIDARG;
  *input.Put() = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  if (!input) return E_OUTOFMEMORY;
  HRESULT hr = create(__uuidof(IXmlReader), reader.PutVoid(), nullptr);
  if (SUCCEEDED(hr)) hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  if (SUCCEEDED(hr)) hr = reader->SetProperty(XmlReaderProperty_XmlResolver, 0);
  if (SUCCEEDED(hr)) hr = reader->SetProperty(XmlReaderProperty_MaxElementDepth, maxDepth);
  if (SUCCEEDED(hr)) hr = reader->SetInput(input.Get());
  return hr;
}

}  // namespace

HRESULT Win32Platform::ParseXml(const std::string& bytes, unsigned maxDepth, const Visit& visit) {
  ComPtr<IXmlReader> reader;
  ComPtr<IStream> input;
  if (const HRESULT hr = MakeReader(bytes, maxDepth, reader, input); FAILED(hr)) return hr;
  // Wine's reader (8.0) repeats the last node for ever where a document is cut off, and says nothing of
  // one that never began: a well-formed document takes two bytes or more a node, and has a root.
  const size_t maxNodes = bytes.size() / 2 + 2;
  size_t count = 0, open = 0;
  XmlNode node;
  XmlNodeType type = XmlNodeType_None;
  HRESULT hr = S_OK;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (++count > maxNodes) return kXmlEndedEarly;
    if (FAILED(hr = VisitNode(*reader.Get(), type, node, open, visit))) return hr;
  }
  if (FAILED(hr)) return hr;
  return !node.name.empty() && open == 0 ? S_OK : kXmlEndedEarly;
}

}  // namespace kestrun
