#include "src/framework/request/QRVRequestResult.h"

#include <memory>
#include <vector>

#include "platform/ui/AlertView.h"

namespace framework {

QRVRequestResult::QRVRequestResult(const foundation::Value& code, std::string message)
    : code_(code.isString() && *code.getString() == "1" ? 1 : 0), message_(std::move(message)) {}

void QRVRequestResult::showErrorMessage() const {
  if (message_.empty()) return;
  auto alert = std::make_shared<ui::AlertView>("提示", message_, nullptr, "确定", std::vector<std::string>{});
  alert->show();
}

}  // namespace framework
