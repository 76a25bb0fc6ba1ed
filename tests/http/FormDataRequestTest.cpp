#include <gtest/gtest.h>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Paths.h"
#include "src/http/DataDecompressor.h"
#include "src/http/FormDataRequest.h"
#include "tests/http/EngineTestSupport.h"

namespace http::test {
namespace {

using testsupport::RecordedRequest;
using testsupport::Reply;

class FormDataRequestTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    server.route("*", "/form", Reply::text("ok"));
  }

  std::shared_ptr<FormDataRequest> makeForm(const std::string& path = "/form") {
    auto form = FormDataRequest::requestWithURL(server.url(path));
    form->setDelegate(delegate);
    wakeMainLoopWhenFinished(*form);
    return form;
  }
  // Sends the form and answers what the server received.
  RecordedRequest send(const std::shared_ptr<FormDataRequest>& form) {
    runToEnd(form);
    EXPECT_EQ(delegate->count("finished"), 1) << (delegate->failure ? delegate->failure->description() : "");
    auto received = server.requests();
    EXPECT_FALSE(received.empty());
    return received.empty() ? RecordedRequest{} : received.back();
  }
  static std::string boundaryOf(const RecordedRequest& received) {
    auto type = received.header("Content-Type").value_or("");
    auto at = type.find("boundary=");
    return at == std::string::npos ? "" : type.substr(at + 9);
  }
  // Files the engine left in the temporary folder.
  static std::size_t temporaryFileCount() {
    auto names = foundation::FileManager::contentsOfDirectory(foundation::Paths::temporaryDirectory());
    return names.ok() ? names->size() : 0;
  }

  TemporaryDirectory files;
};

TEST_F(FormDataRequestTest, AnEmptyFormIsABodilessPost) {
  auto received = send(makeForm());
  EXPECT_EQ(received.method, "POST");
  EXPECT_EQ(received.bodySize, 0u);
  EXPECT_FALSE(received.header("Content-Type"));
  EXPECT_FALSE(received.header("Content-Length"));
}

TEST_F(FormDataRequestTest, UrlEncodedValuesAreJoinedAndEscaped) {
  auto form = makeForm();
  form->addPostValue("a b", "name");
  form->addPostValue(5, "n");
  form->addPostValue("&=+~", "k&=+~");
  form->addPostValue(true, "flag");
  auto received = send(form);
  EXPECT_EQ(received.body, "name=a%20b&n=5&k%26%3D%2B%7E=%26%3D%2B%7E&flag=1");
  EXPECT_EQ(received.header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(received.header("Content-Length"), std::to_string(received.body.size()));
}

TEST_F(FormDataRequestTest, OnlyLettersDigitsHyphenUnderscoreAndFullStopStayUnescaped) {
  auto form = FormDataRequest::requestWithURL("http://127.0.0.1/");
  EXPECT_EQ(form->encodeURL("azAZ09-_."), "azAZ09-_.");
  EXPECT_EQ(form->encodeURL(":/?#[]@!$ &'()*+,;=\"<>%{}|\\^~`"),
            "%3A%2F%3F%23%5B%5D%40%21%24%20%26%27%28%29%2A%2B%2C%3B%3D%22%3C%3E%25%7B%7D%7C%5C%5E%7E%60");
  EXPECT_EQ(form->encodeURL("\xe4\xb8\xad"), "%E4%B8%AD");  // UTF-8 bytes of one character
  form->setStringEncoding("GBK");
  EXPECT_EQ(form->encodeURL("\xe4\xb8\xad"), "%D6%D0");
  form->setStringEncoding("ISO-8859-1");
  EXPECT_EQ(form->encodeURL("\xe4\xb8\xad"), "");  // not representable: no text at all
}

TEST_F(FormDataRequestTest, MultipartBodyIsWrittenByteForByte) {
  auto form = makeForm();
  form->setPostFormat(FormDataRequest::PostFormat::multipartFormData);
  form->addPostValue("1", "a");
  form->addPostValue("2", "b");
  form->addData(bytesOf("JPEG\r\nBYTES"), "pic.jpg", "image/jpeg", "picture");
  auto received = send(form);
  std::string b = boundaryOf(received);
  ASSERT_EQ(b.rfind("0xKhTmLbOuNdArY-", 0), 0u);
  EXPECT_EQ(received.header("Content-Type"), "multipart/form-data; charset=utf-8; boundary=" + b);
  EXPECT_EQ(received.body, "--" + b + "\r\n" +
                               "Content-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n"
                               "--" +
                               b + "\r\n" +
                               "Content-Disposition: form-data; name=\"b\"\r\n\r\n2\r\n"
                               "--" +
                               b + "\r\n" +
                               "Content-Disposition: form-data; name=\"picture\"; filename=\"pic.jpg\"\r\n"
                               "Content-Type: image/jpeg\r\n\r\n"
                               "JPEG\r\nBYTES\r\n"
                               "--" +
                               b + "--\r\n");
}

TEST_F(FormDataRequestTest, MultipartEdgesWithValuesOnlyAndFilesOnly) {
  auto values = makeForm();
  values->setPostFormat(FormDataRequest::PostFormat::multipartFormData);
  values->addPostValue("v", "only");
  values->addPostValue(nullptr, "none");  // an entry without text
  auto first = send(values);
  std::string b1 = boundaryOf(first);
  EXPECT_EQ(first.body, "--" + b1 + "\r\nContent-Disposition: form-data; name=\"only\"\r\n\r\nv\r\n--" + b1 +
                            "\r\nContent-Disposition: form-data; name=\"none\"\r\n\r\n\r\n--" + b1 + "--\r\n");

  delegate = std::make_shared<RecordingDelegate>();
  auto filesOnly = makeForm();
  filesOnly->setPostFormat(FormDataRequest::PostFormat::multipartFormData);
  filesOnly->addData(bytesOf("x"), "k");
  auto second = send(filesOnly);
  std::string b2 = boundaryOf(second);
  EXPECT_NE(b1, b2);  // a new boundary for every body
  EXPECT_EQ(second.body, "--" + b2 + "\r\nContent-Disposition: form-data; name=\"k\"; filename=\"file\"\r\n" +
                             "Content-Type: application/octet-stream\r\n\r\nx\r\n--" + b2 + "--\r\n");
}

TEST_F(FormDataRequestTest, AFilePartTurnsAUrlEncodedFormIntoAStreamedMultipartOne) {
  auto path = files.file("song notes.txt");
  writeFile(path, bytesOf("line one\nline two\n"));
  auto form = makeForm();
  form->addPostValue("x", "id");
  form->addFile(path, "upload");
  std::size_t temporaryBefore = temporaryFileCount();
  auto received = send(form);
  EXPECT_EQ(form->postFormat(), FormDataRequest::PostFormat::multipartFormData);
  std::string b = boundaryOf(received);
  EXPECT_EQ(received.body, "--" + b + "\r\nContent-Disposition: form-data; name=\"id\"\r\n\r\nx\r\n--" + b +
                               "\r\nContent-Disposition: form-data; name=\"upload\"; filename=\"song notes.txt\"\r\n" +
                               "Content-Type: " + *HTTPRequest::mimeTypeForFileAtPath(path) +
                               "\r\n\r\nline one\nline two\n\r\n--" + b + "--\r\n");
  EXPECT_EQ(temporaryFileCount(), temporaryBefore);  // the body file is gone
}

TEST_F(FormDataRequestTest, AStreamedBodyCanBeSentGzipped) {
  auto path = files.file("big.bin");
  writeFile(path, noise(600'000));
  auto form = makeForm();
  form->setShouldCompressRequestBody(true);
  form->addFile(path, "blob.bin", "application/x-blob", "blob");
  auto received = send(form);
  EXPECT_EQ(received.header("Content-Encoding"), "gzip");
  EXPECT_EQ(received.header("Content-Length"), std::to_string(received.bodySize));
  auto inflated = DataDecompressor::uncompressData(bytesOf(received.body));
  ASSERT_TRUE(inflated.ok());
  std::string b = boundaryOf(received);
  std::string head = "--" + b + "\r\nContent-Disposition: form-data; name=\"blob\"; filename=\"blob.bin\"\r\n" +
                     "Content-Type: application/x-blob\r\n\r\n";
  auto expected = bytesOf(head);
  auto content = noise(600'000);
  expected.insert(expected.end(), content.begin(), content.end());
  auto tail = bytesOf("\r\n--" + b + "--\r\n");
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_TRUE(*inflated == expected);
}

TEST_F(FormDataRequestTest, NamesCannotInjectHeaderLines) {
  auto form = makeForm();
  form->setPostFormat(FormDataRequest::PostFormat::multipartFormData);
  form->addPostValue("v", "a\"\r\nX-Evil: 1");
  form->addData(bytesOf("d"), "f\".txt\r\nX-Evil: 2", "text/plain\r\nX-Evil: 3", "k");
  auto received = send(form);
  EXPECT_EQ(received.body.find("\r\nX-Evil"), std::string::npos);
  EXPECT_NE(received.body.find("name=\"a%22%0D%0AX-Evil: 1\""), std::string::npos);
  EXPECT_NE(received.body.find("filename=\"f%22.txt%0D%0AX-Evil: 2\""), std::string::npos);
  EXPECT_NE(received.body.find("Content-Type: text/plain%0D%0AX-Evil: 3\r\n"), std::string::npos);
}

TEST_F(FormDataRequestTest, SettersReplaceEveryEntryOfTheKey) {
  auto form = FormDataRequest::requestWithURL("http://127.0.0.1/");
  form->addPostValue("1", "k");
  form->addPostValue("other", "o");
  form->addPostValue("2", "k");
  form->setPostValue("3", "k");
  EXPECT_EQ(form->postData(), (std::vector<FormValue>{{"o", "other"}, {"k", "3"}}));
  form->addData(bytesOf("a"), "d");
  form->addData(bytesOf("b"), "d");
  form->setData(bytesOf("c"), "x.bin", "a/b", "d");
  ASSERT_EQ(form->fileData().size(), 1u);
  EXPECT_EQ(form->fileData()[0], (FormFile{"d", "x.bin", "a/b", bytesOf("c")}));
}

TEST_F(FormDataRequestTest, AMissingFileOrAFolderFailsTheRequestAtOnce) {
  auto form = makeForm();
  auto missing = files.file("missing.jpg");
  form->addFile(missing, "picture");
  ASSERT_TRUE(form->error());
  EXPECT_TRUE(isRequestError(form->error(), HTTPRequestErrorCode::internal));
  EXPECT_EQ(form->error()->description(), "No file exists at " + missing);
  EXPECT_TRUE(form->fileData().empty());

  auto folder = makeForm();
  folder->addFile(files.path().string(), "picture");
  EXPECT_EQ(folder->error()->description(), "No file exists at " + files.path().string());
}

TEST_F(FormDataRequestTest, BodyMethodRules) {
  auto get = makeForm();
  get->setRequestMethod("GET");
  get->addPostValue("1", "a");
  EXPECT_EQ(send(get).method, "POST");

  for (std::string method : {"PUT", "DELETE"}) {
    delegate = std::make_shared<RecordingDelegate>();
    auto form = makeForm();
    form->setRequestMethod(method);
    form->addPostValue("1", "a");
    EXPECT_EQ(send(form).method, method == "PUT" ? "PUT" : "POST");
  }
}

TEST_F(FormDataRequestTest, TheBodyIsBuiltOnceAcrossRedirects) {
  server.route("POST", "/keep", Reply::redirect(307, "/form"));
  auto form = makeForm("/keep");
  form->setPostFormat(FormDataRequest::PostFormat::multipartFormData);
  form->addPostValue("1", "a");
  auto second = send(form);
  auto first = server.requests().front();
  EXPECT_EQ(second.method, "POST");
  EXPECT_EQ(first.body, second.body);
  EXPECT_EQ(boundaryOf(first), boundaryOf(second));

  delegate = std::make_shared<RecordingDelegate>();
  server.route("POST", "/drop", Reply::redirect(302, "/form"));
  auto dropped = makeForm("/drop");
  dropped->addPostValue("1", "a");
  auto asGet = send(dropped);
  EXPECT_EQ(asGet.method, "GET");
  EXPECT_EQ(asGet.bodySize, 0u);
}

TEST_F(FormDataRequestTest, ACopyCarriesTheForm) {
  auto form = FormDataRequest::requestWithURL(server.url("/form"));
  form->setPostFormat(FormDataRequest::PostFormat::multipartFormData);
  form->setStringEncoding("GBK");
  form->addPostValue("\xe4\xb8\xad", "k");
  form->addData(bytesOf("d"), "f");
  form->setRequestMethod("PUT");
  auto copied = std::dynamic_pointer_cast<FormDataRequest>(form->copy());
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->postData(), form->postData());
  EXPECT_EQ(copied->fileData(), form->fileData());
  EXPECT_EQ(copied->postFormat(), FormDataRequest::PostFormat::multipartFormData);
  EXPECT_EQ(copied->stringEncoding(), "GBK");
  EXPECT_EQ(copied->requestMethod(), "PUT");
  EXPECT_EQ(copied->url(), form->url());
}

}  // namespace
}  // namespace http::test
