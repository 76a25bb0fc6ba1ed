#include "src/http/FormDataRequest.h"

#include <algorithm>
#include <ctime>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/NoDestructor.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Url.h"
#include "platform/foundation/Uuid.h"
#include "platform/net/MIMETypes.h"

namespace http {
namespace {

constexpr const char* kDataFileName = "file";

// The text a value stands for in a form, as the platform describes its objects.
std::optional<std::string> describe(const foundation::Value& value) {
  using Kind = foundation::Value::Kind;
  switch (value.kind()) {
    case Kind::Null:
      return std::nullopt;
    case Kind::Bool:
      return *value.getBool() ? "1" : "0";
    case Kind::Array:
    case Kind::Dictionary: {
      auto json = foundation::Json::serialize(value);
      return json.ok() ? *json : std::string();
    }
    case Kind::Date: {
      auto seconds = static_cast<std::time_t>(value.getDate()->secondsSince1970);
      std::tm utc{};
      gmtime_r(&seconds, &utc);
      char text[40];
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &utc);
      return std::string(text);
    }
    default:
      return value.toString();
  }
}

std::string lowerCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A name, file name or type written into a part's header lines: a quote would end the quoted
// text early and a line break would start a header of the sender's choosing.
std::string headerSafe(const std::string& text, bool escapeQuote) {
  std::string safe;
  safe.reserve(text.size());
  for (char c : text) {
    if (c == '\r') {
      safe += "%0D";
    } else if (c == '\n') {
      safe += "%0A";
    } else if (c == '"' && escapeQuote) {
      safe += "%22";
    } else {
      safe += c;
    }
  }
  return safe;
}

template <class Entry>
void removeKey(std::optional<std::vector<Entry>>& list, const std::string& key) {
  if (list) std::erase_if(*list, [&key](const Entry& entry) { return entry.key == key; });
}

}  // namespace

std::shared_ptr<FormDataRequest> FormDataRequest::requestWithURL(const std::string& url) {
  return std::shared_ptr<FormDataRequest>(new FormDataRequest(url));
}

FormDataRequest::FormDataRequest(std::string url) : HTTPRequest(std::move(url)) { setRequestMethod("POST"); }

std::shared_ptr<HTTPRequest> FormDataRequest::makeRequestOfSameClass(const std::string& url) const {
  return requestWithURL(url);
}

// --- Values and file parts ---

void FormDataRequest::addPostValue(const foundation::Value& value, const std::string& key) {
  std::scoped_lock lock(formLock_);
  if (!postData_) postData_.emplace();
  postData_->push_back(FormValue{key, describe(value)});
}

void FormDataRequest::setPostValue(const foundation::Value& value, const std::string& key) {
  {
    std::scoped_lock lock(formLock_);
    removeKey(postData_, key);
  }
  addPostValue(value, key);
}

void FormDataRequest::addFile(const std::string& path, const std::string& key) {
  addFile(path, std::nullopt, std::nullopt, key);
}

void FormDataRequest::addFile(const std::string& path, const std::optional<std::string>& fileName,
                              const std::optional<std::string>& contentType, const std::string& key) {
  if (!foundation::FileManager::fileExists(path) || foundation::FileManager::isDirectory(path)) {
    fail(makeRequestError(HTTPRequestErrorCode::internal, "No file exists at " + path));
    return;
  }
  FormFile file{key, fileName.value_or(foundation::Paths::lastPathComponent(path)),
                contentType ? *contentType : mimeTypeForFileAtPath(path).value_or(net::MIMETypes::kDefaultType), path};
  std::scoped_lock lock(formLock_);
  if (!fileData_) fileData_.emplace();
  fileData_->push_back(std::move(file));
}

void FormDataRequest::setFile(const std::string& path, const std::string& key) {
  setFile(path, std::nullopt, std::nullopt, key);
}

void FormDataRequest::setFile(const std::string& path, const std::optional<std::string>& fileName,
                              const std::optional<std::string>& contentType, const std::string& key) {
  {
    std::scoped_lock lock(formLock_);
    removeKey(fileData_, key);
  }
  addFile(path, fileName, contentType, key);
}

void FormDataRequest::addData(const foundation::Bytes& data, const std::string& key) {
  addData(data, kDataFileName, std::nullopt, key);
}

void FormDataRequest::addData(const foundation::Bytes& data, const std::string& fileName,
                              const std::optional<std::string>& contentType, const std::string& key) {
  std::scoped_lock lock(formLock_);
  if (!fileData_) fileData_.emplace();
  fileData_->push_back(FormFile{key, fileName, contentType.value_or(net::MIMETypes::kDefaultType), data});
}

void FormDataRequest::setData(const foundation::Bytes& data, const std::string& key) {
  setData(data, kDataFileName, std::nullopt, key);
}

void FormDataRequest::setData(const foundation::Bytes& data, const std::string& fileName,
                              const std::optional<std::string>& contentType, const std::string& key) {
  {
    std::scoped_lock lock(formLock_);
    removeKey(fileData_, key);
  }
  addData(data, fileName, contentType, key);
}

void FormDataRequest::copyInto(HTTPRequest& copy) const {
  HTTPRequest::copyInto(copy);
  auto& form = static_cast<FormDataRequest&>(copy);
  std::scoped_lock lock(formLock_);
  form.postData_ = postData_;
  form.fileData_ = fileData_;
  form.postFormat_ = postFormat_;
  form.stringEncoding_ = stringEncoding_;
}

// --- The body ---

void FormDataRequest::buildPostBody() {
  if (haveBuiltPostBody()) return;
  std::optional<std::vector<FormValue>> values;
  std::optional<std::vector<FormFile>> files;
  PostFormat format;
  {
    std::scoped_lock lock(formLock_);
    values = postData_;
    files = fileData_;
    format = postFormat_;
  }
  if (values || files) {
    const std::vector<FormValue> noValues;
    const std::vector<FormFile> noFiles;
    const auto& valueList = values ? *values : noValues;
    const auto& fileList = files ? *files : noFiles;
    // Files are copied into a temporary body file rather than held in memory.
    if (!fileList.empty()) setShouldStreamPostDataFromDisk(true);
    if (format == PostFormat::URLEncoded) {
      buildURLEncodedPostBody(valueList, fileList);
    } else {
      buildMultipartFormDataPostBody(valueList, fileList);
    }
  }
  HTTPRequest::buildPostBody();
}

void FormDataRequest::buildURLEncodedPostBody(const std::vector<FormValue>& values,
                                              const std::vector<FormFile>& files) {
  // A file can only travel in a multipart body.
  if (!files.empty()) {
    setPostFormat(PostFormat::multipartFormData);
    buildMultipartFormDataPostBody(values, files);
    return;
  }
  addRequestHeader("Content-Type", "application/x-www-form-urlencoded; charset=" + lowerCased(stringEncoding()));
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto& entry = values[i];
    std::string pair =
        encodeURL(entry.key) + "=" + encodeURL(entry.value.value_or("")) + (i + 1 < values.size() ? "&" : "");
    appendPostString(pair);
  }
}

void FormDataRequest::buildMultipartFormDataPostBody(const std::vector<FormValue>& values,
                                                     const std::vector<FormFile>& files) {
  const std::string boundary = "0xKhTmLbOuNdArY-" + foundation::newUuidString();
  addRequestHeader("Content-Type",
                   "multipart/form-data; charset=" + lowerCased(stringEncoding()) + "; boundary=" + boundary);
  const std::string separator = "\r\n--" + boundary + "\r\n";
  appendPostString("--" + boundary + "\r\n");
  for (std::size_t i = 0; i < values.size(); ++i) {
    appendPostString("Content-Disposition: form-data; name=\"" + headerSafe(values[i].key, true) + "\"\r\n\r\n");
    if (values[i].value) appendPostString(*values[i].value);
    if (i + 1 < values.size() || !files.empty()) appendPostString(separator);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto& file = files[i];
    appendPostString("Content-Disposition: form-data; name=\"" + headerSafe(file.key, true) + "\"; filename=\"" +
                     headerSafe(file.fileName, true) + "\"\r\n");
    appendPostString("Content-Type: " + headerSafe(file.contentType, false) + "\r\n\r\n");
    if (const auto* path = std::get_if<std::string>(&file.data)) {
      appendPostDataFromFile(*path);
    } else {
      appendPostData(std::get<foundation::Bytes>(file.data));
    }
    if (i + 1 < files.size()) appendPostString(separator);
  }
  appendPostString("\r\n--" + boundary + "--\r\n");
}

void FormDataRequest::appendPostString(const std::string& text) {
  auto bytes = foundation::Text::encode(text, stringEncoding());
  if (bytes.ok()) appendPostData(*bytes);
}

std::string FormDataRequest::encodeURL(const std::string& text) const {
  static const foundation::NoDestructor<std::string> unescaped(std::string(foundation::Url::kAlphanumerics) + "-_.");
  auto bytes = foundation::Text::encode(text, stringEncoding());
  if (!bytes.ok()) return "";
  return foundation::Url::percentEscape(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                                        *unescaped);
}

// --- Accessors ---

std::vector<FormValue> FormDataRequest::postData() const {
  std::scoped_lock lock(formLock_);
  return postData_.value_or(std::vector<FormValue>{});
}
void FormDataRequest::setPostData(std::vector<FormValue> values) {
  std::scoped_lock lock(formLock_);
  postData_ = std::move(values);
}
std::vector<FormFile> FormDataRequest::fileData() const {
  std::scoped_lock lock(formLock_);
  return fileData_.value_or(std::vector<FormFile>{});
}
void FormDataRequest::setFileData(std::vector<FormFile> files) {
  std::scoped_lock lock(formLock_);
  fileData_ = std::move(files);
}
FormDataRequest::PostFormat FormDataRequest::postFormat() const {
  std::scoped_lock lock(formLock_);
  return postFormat_;
}
void FormDataRequest::setPostFormat(PostFormat format) {
  std::scoped_lock lock(formLock_);
  postFormat_ = format;
}
std::string FormDataRequest::stringEncoding() const {
  std::scoped_lock lock(formLock_);
  return stringEncoding_;
}
void FormDataRequest::setStringEncoding(const std::string& charset) {
  std::scoped_lock lock(formLock_);
  stringEncoding_ = charset;
}

}  // namespace http
