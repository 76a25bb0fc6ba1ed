#include "src/framework/json/ClassName.h"

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace framework {

std::string className(const foundation::Object& object) {
  const char* mangled = typeid(object).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                        &std::free);
  return status == 0 && demangled ? demangled.get() : mangled;
}

}  // namespace framework
