#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace hv::testing {

// An XML document as a tree, read by a conforming parser: well-formedness is its to judge.
struct XmlElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;  // character data directly inside
  std::vector<std::unique_ptr<XmlElement>> children;

  const XmlElement* byId(const std::string& id) const;  // depth first, this one included
  const XmlElement* child(const std::string& name) const;
  const std::string& attribute(const std::string& key) const;  // throws when absent
};

// Throws std::runtime_error with the parser's message and line when `xml` is not well formed.
std::unique_ptr<XmlElement> parseXml(const std::string& xml);

}  // namespace hv::testing
