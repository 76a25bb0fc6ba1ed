#include "src/framework/util/WDTools.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"

namespace framework {

std::string WDTools::getDocumentsDir() { return foundation::Paths::documentsDirectory(); }

std::string WDTools::getCachesFileDir() { return foundation::Paths::cachesDirectory(); }

std::uint64_t WDTools::fileContentLengthAtPath(const std::string& path) {
  auto size = foundation::FileManager::fileSize(path);
  return size.ok() ? size.value() : 0;
}

}  // namespace framework
