#pragma once

#include <memory>
#include <string>

#include "src/api/requests/BaseDataRequest.h"
#include "tests/framework/request/DataRequestTestSupport.h"

namespace apitest {

// A request-class test against the sample station on loopback.
class ApiRequestTest : public datarequesttest::DataRequestTest {
 protected:
  void SetUp() override {
    DataRequestTest::SetUp();
    api::BaseDataRequest::setApiBaseUrlForTesting(api.baseUrl());
  }
  void TearDown() override {
    api::BaseDataRequest::setApiBaseUrlForTesting("");
    DataRequestTest::TearDown();
  }

  // Sends a request of the class with the parameters and runs it to its end; the result is in
  // delegate->resultDic.
  template <class Request>
  void call(foundation::Dictionary parameters = {}) {
    delegate = std::make_shared<datarequesttest::RecordingDelegate>();
    Request::requestWithDelegate(delegate, std::move(parameters));
    runToEnd();
  }

  // The models filed under the key, as their class.
  template <class Model>
  static std::vector<std::shared_ptr<Model>> modelsAt(const foundation::Value& list) {
    std::vector<std::shared_ptr<Model>> models;
    if (const foundation::Array* array = list.getArray())
      for (const foundation::Value& element : *array) models.push_back(element.objectAs<Model>());
    return models;
  }
};

}  // namespace apitest
