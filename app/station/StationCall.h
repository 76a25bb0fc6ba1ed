#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/net/LocalHTTPServer.h"

namespace station {

using FieldList = std::vector<std::pair<std::string, std::string>>;

// One file part of a multipart form.
struct FilePart {
  std::string name;
  std::string fileName;
  std::string contentType;
  std::string body;
};

// One web-API call as the station received it, decoded.
struct StationCall {
  std::string method;      // "play.playChannel", or "call" for a batch
  std::string httpMethod;  // "GET" or "POST"
  std::string path;        // "/api/play.playChannel.json"
  std::string rawQuery;    // as sent, without the "?"
  FieldList query;         // decoded, in order
  std::string contentType;
  FieldList form;               // text fields of a url-encoded or multipart body, in order
  std::vector<FilePart> files;  // file parts of a multipart body

  // A request for "/api/<method>.json" (or "/api/call"), with its query and body decoded.
  static StationCall decode(const net::LocalRequest& request);

  // The first query field of that name, else the first form field of that name.
  std::optional<std::string> field(const std::string& name) const;
  std::optional<std::string> queryValue(const std::string& name) const;
  std::optional<std::string> formValue(const std::string& name) const;
};

}  // namespace station
