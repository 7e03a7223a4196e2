#include "support/xml_tree.h"

#include <expat.h>

#include <stdexcept>

namespace hv::testing {
namespace {

struct Builder {
  std::unique_ptr<XmlElement> root;
  std::vector<XmlElement*> open;
};

void startElement(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& b = *static_cast<Builder*>(data);
  auto element = std::make_unique<XmlElement>();
  element->name = name;
  for (int i = 0; attributes[i] != nullptr; i += 2)
    element->attributes[attributes[i]] = attributes[i + 1];
  XmlElement* raw = element.get();
  if (b.open.empty())
    b.root = std::move(element);
  else
    b.open.back()->children.push_back(std::move(element));
  b.open.push_back(raw);
}

void endElement(void* data, const XML_Char*) {
  static_cast<Builder*>(data)->open.pop_back();
}

void characters(void* data, const XML_Char* s, int length) {
  auto& b = *static_cast<Builder*>(data);
  if (!b.open.empty())
    b.open.back()->text.append(s, static_cast<std::size_t>(length));
}

}  // namespace

const XmlElement* XmlElement::byId(const std::string& id) const {
  const auto found = attributes.find("id");
  if (found != attributes.end() && found->second == id)
    return this;
  for (const auto& c : children) {
    if (const auto* hit = c->byId(id))
      return hit;
  }
  return nullptr;
}

const XmlElement* XmlElement::child(const std::string& childName) const {
  for (const auto& c : children) {
    if (c->name == childName)
      return c.get();
  }
  return nullptr;
}

const std::string& XmlElement::attribute(const std::string& key) const {
  const auto found = attributes.find(key);
  if (found == attributes.end())
    throw std::runtime_error("<" + name + "> has no attribute " + key);
  return found->second;
}

std::unique_ptr<XmlElement> parseXml(const std::string& xml) {
  Builder builder;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &builder);
  XML_SetElementHandler(parser, startElement, endElement);
  XML_SetCharacterDataHandler(parser, characters);
  const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), 1) == XML_STATUS_OK;
  const std::string message = ok ? "" : XML_ErrorString(XML_GetErrorCode(parser));
  const auto line = XML_GetCurrentLineNumber(parser);
  XML_ParserFree(parser);
  if (!ok)
    throw std::runtime_error("not well-formed XML, line " + std::to_string(line) + ": " + message);
  return std::move(builder.root);
}

}  // namespace hv::testing
