#pragma once

#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

namespace foundation {

// Writes one XML property-list document; PropertyList::serialize is its public face.
class PropertyListWriter {
 public:
  // Any thread. Appends the whole document for the value; on failure returns the error and the
  // text is to be thrown away.
  ErrorPtr write(const Value& value);
  std::string take() { return std::move(out_); }

 private:
  ErrorPtr writeValue(const Value& value);
  ErrorPtr writeArray(const Array& array);
  ErrorPtr writeDictionary(const Dictionary& dictionary);
  ErrorPtr writeText(const char* element, const std::string& text);
  void writeLeaf(const char* element, const std::string& content);
  void writeReal(double value);
  void indent();
  ErrorPtr refuse(const std::string& why) const;

  std::string out_;
  std::vector<std::string> path_;
};

}  // namespace foundation
