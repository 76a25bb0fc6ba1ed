#include "src/api/models/PalbumModel.h"
#include "src/api/models/ThirdAccountModel.h"
#include "src/api/requests/ResultSteps.h"
#include "src/framework/util/CommonUtils.h"

namespace api::result_steps {
namespace {

const foundation::Value& dataOf(const BaseDataRequest& request) { return request.resultDic()["data"]; }

void fileLogin(BaseDataRequest& request) {
  std::shared_ptr<UserModel> user = ReplyReader::modelOf<UserModel>(dataOf(request)["user"]);
  foundation::Value luid = dataOf(request)["luid"];
  request.resultDic().set("user", user);
  ReplyReader::setIfPresent(request.resultDic(), "luid", std::move(luid));
}

}  // namespace

void login(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Value& data = dataOf(request);
  if (!data["user"].isDictionary() || data["luid"].isNull()) return;
  fileLogin(request);
}

void loginThird(BaseDataRequest& request) {
  if (request.succeeded()) fileLogin(request);
}

void userDetail(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request).isDictionary()) return;
  request.resultDic().set("user", ReplyReader::modelOf<UserModel>(dataOf(request)));
}

void dataAsLoginUrl(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  foundation::Value data = dataOf(request);
  ReplyReader::setIfPresent(request.resultDic(), "loginUrl", std::move(data));
}

void collectedPrograms(BaseDataRequest& request) {
  if (!request.succeeded() || !dataOf(request)["lists"].isArray()) return;
  foundation::Array programmes =
      ReplyReader::valuesOf(ReplyReader::listProgrammes(dataOf(request)["lists"], ReplyReader::Channels::listed));
  foundation::Value total = dataOf(request)["total"];
  request.resultDic().set(kKeyArray, std::move(programmes));
  ReplyReader::setIfPresent(request.resultDic(), kKeyTotal, std::move(total));
}

void thirdAccounts(BaseDataRequest& request) {
  const std::string* err = request.resultDic()["err"].getString();
  if (!err || *err != kErrOk) return;
  request.resultDic().set("thirdAccounts", ReplyReader::modelValuesOf<ThirdAccountModel>(dataOf(request)));
}

void userPhotoAlbums(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Value& data = dataOf(request);
  std::vector<std::shared_ptr<PalbumModel>> albums =
      ReplyReader::modelsOf<PalbumModel>(data["lists"], [](PalbumModel& album, const foundation::Dictionary& element) {
        album.setUser(ReplyReader::modelOf<UserModel>(element["user"]));
      });
  foundation::Dictionary result{{kKeyArray, ReplyReader::valuesOf(albums)}};
  ReplyReader::setIfPresent(result, kKeyTotal, data["total"]);
  request.setResultDic(std::move(result));
}

void dataAsPAlbumId(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  if (std::optional<std::string> id = framework::CommonUtils::getStringValue(dataOf(request)))
    request.resultDic().set("pAlbumId", std::move(*id));
}

void errAsOk(BaseDataRequest& request) {
  if (request.succeeded()) request.resultDic().set("err", "ok");
}

}  // namespace api::result_steps
