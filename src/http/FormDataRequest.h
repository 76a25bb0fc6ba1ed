#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/foundation/Value.h"
#include "src/http/HTTPRequest.h"

namespace http {

// One named text value of a form. A null value leaves the entry without text.
struct FormValue {
  std::string key;
  std::optional<std::string> value;

  friend bool operator==(const FormValue&, const FormValue&) = default;
};

// One file part of a form: bytes held in memory, or the path of a file on disk that is copied
// into the body in chunks when the body is built.
struct FormFile {
  std::string key;
  std::string fileName;
  std::string contentType;
  std::variant<foundation::Bytes, std::string> data;  // bytes, or a file path

  bool isFilePath() const { return std::holds_alternative<std::string>(data); }
  friend bool operator==(const FormFile&, const FormFile&) = default;
};

// A request whose body is a form: named text values and file parts written either url-encoded
// or as multipart/form-data. The form is filled before the request starts; the body is built
// once, on the network thread, at the first run of the main step. Any file part puts the whole
// body in a temporary file, so files are never held whole in memory.
class FormDataRequest : public HTTPRequest {
 public:
  enum class PostFormat : int { multipartFormData = 0, URLEncoded = 1 };

  // Any thread. A new form request: method "POST", url-encoded, UTF-8.
  static std::shared_ptr<FormDataRequest> requestWithURL(const std::string& url);

  // --- Values (any thread, before the start) ---
  // Appends the value's text: strings as they are, numbers in decimal, bools as 1 or 0,
  // containers as JSON; a null value gives an entry without text.
  void addPostValue(const foundation::Value& value, const std::string& key);
  // Removes every value entry with this key, then appends.
  void setPostValue(const foundation::Value& value, const std::string& key);

  // --- File parts (any thread, before the start) ---
  // A file on disk, sent under its own name and the MIME type of its extension. A missing file
  // or a folder fails the request at once (code 6, "No file exists at <path>").
  void addFile(const std::string& path, const std::string& key);
  // As above; nullopt name or type take the path's last component and the extension's type.
  void addFile(const std::string& path, const std::optional<std::string>& fileName,
               const std::optional<std::string>& contentType, const std::string& key);
  // Remove every file part with this key, then add.
  void setFile(const std::string& path, const std::string& key);
  void setFile(const std::string& path, const std::optional<std::string>& fileName,
               const std::optional<std::string>& contentType, const std::string& key);
  // Bytes sent as file "file" of type "application/octet-stream".
  void addData(const foundation::Bytes& data, const std::string& key);
  // A nullopt type is "application/octet-stream".
  void addData(const foundation::Bytes& data, const std::string& fileName,
               const std::optional<std::string>& contentType, const std::string& key);
  void setData(const foundation::Bytes& data, const std::string& key);
  void setData(const foundation::Bytes& data, const std::string& fileName,
               const std::optional<std::string>& contentType, const std::string& key);

  // Any thread. The text percent-escaped in stringEncoding(): only ASCII letters, digits, "-",
  // "_" and "." stay; a space is "%20". "" when the text cannot be written in the encoding.
  std::string encodeURL(const std::string& text) const;

  // --- Accessors (any thread) ---
  std::vector<FormValue> postData() const;
  void setPostData(std::vector<FormValue> values);
  std::vector<FormFile> fileData() const;
  void setFileData(std::vector<FormFile> files);
  PostFormat postFormat() const;
  void setPostFormat(PostFormat format);
  // The IANA charset name of the form's text; "UTF-8" unless changed.
  std::string stringEncoding() const;
  void setStringEncoding(const std::string& charset);

 protected:
  explicit FormDataRequest(std::string url);
  std::shared_ptr<HTTPRequest> makeRequestOfSameClass(const std::string& url) const override;
  // Network thread, under the request's lock. Writes the form, then the request's own body step.
  void buildPostBody() override;
  void copyInto(HTTPRequest& copy) const override;

 private:
  // Network thread, while the body is built.
  void buildURLEncodedPostBody(const std::vector<FormValue>& values, const std::vector<FormFile>& files);
  void buildMultipartFormDataPostBody(const std::vector<FormValue>& values, const std::vector<FormFile>& files);
  // The text's bytes in stringEncoding(); text the encoding cannot hold adds nothing.
  void appendPostString(const std::string& text);

  mutable std::mutex formLock_;                     // guards the fields below
  std::optional<std::vector<FormValue>> postData_;  // nullopt until the first value is added
  std::optional<std::vector<FormFile>> fileData_;   // nullopt until the first file part is added
  PostFormat postFormat_ = PostFormat::URLEncoded;
  std::string stringEncoding_ = "UTF-8";
};

}  // namespace http
