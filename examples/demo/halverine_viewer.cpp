// The application the demo installs: it opens the document its open command names and says
// what it read. A document starts with the line "CVX/1", then "Name: value" header lines up to
// a blank line, then the body.
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char kMagic[] = "CVX/1";

struct Document {
  std::vector<std::pair<std::string, std::string>> header;
  std::size_t bodyLines = 0;
  std::size_t bytes = 0;
};

// False when the text is not one of our documents.
bool parse(const std::string& text, Document& document) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kMagic)
    return false;
  while (std::getline(in, line) && !line.empty()) {
    const auto colon = line.find(": ");
    if (colon == std::string::npos)
      return false;
    document.header.emplace_back(line.substr(0, colon), line.substr(colon + 2));
  }
  while (std::getline(in, line))
    ++document.bodyLines;
  document.bytes = text.size();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The open command hands over exactly one path; anything else means it was put together wrong.
  if (argc != 2) {
    std::cerr << "halverine-viewer: expected one document, got " << argc - 1 << " arguments\n";
    return 2;
  }
  const std::string path = argv[1];
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.is_open() || file.bad()) {
    std::cerr << "halverine-viewer: cannot read " << path << "\n";
    return 1;
  }
  Document document;
  if (!parse(text, document)) {
    std::cerr << "halverine-viewer: " << path << " is not a Halverine document\n";
    return 1;
  }
  std::cout << "halverine-viewer: opened " << path << " (" << document.bytes << " bytes)\n";
  for (const auto& [name, value] : document.header)
    std::cout << "  " << name << ": " << value << "\n";
  std::cout << "  " << document.bodyLines << " lines of text\n";
  return 0;
}
