// Feeds arbitrary bytes to the keyed-archive reader, with a small model class registered that
// holds text, a nested model and an array of models. Whatever the reader accepts must archive
// again, and that archive must read back and archive to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/foundation/KeyedArchive.h"

namespace {

using namespace foundation;

class Record : public Archivable {
 public:
  std::optional<std::string> name;
  std::shared_ptr<Record> child;
  std::vector<std::shared_ptr<Record>> items;
  Value extra;

  std::string archiveClassName() const override { return "Record"; }
  void encode(ArchiveEncoder& encoder) const override {
    if (name) encoder.encodeObject(*name, "name");
    encoder.encodeObject(child, "child");
    if (!items.empty()) encoder.encodeObject(Array(items.begin(), items.end()), "items");
    encoder.encodeObject(extra, "extra");
  }
  static std::shared_ptr<Archivable> decode(ArchiveDecoder& decoder) {
    auto record = std::make_shared<Record>();
    record->name = decoder.decodeString("name");
    record->child = decoder.decodeObjectOfClass<Record>("child");
    record->items = decoder.decodeArrayOfClass<Record>("items").value_or(std::vector<std::shared_ptr<Record>>{});
    record->extra = decoder.decodeObject("extra");
    return record;
  }
};

const bool kRegistered = ArchiveRegistry::shared().registerClass("Record", Record::decode);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!kRegistered) std::abort();
  auto value = KeyedArchive::unarchiveObject(Bytes(data, data + size));
  if (!value.ok()) {
    if (!value.error() || value.error()->description().empty()) std::abort();
    return 0;
  }
  auto archived = KeyedArchive::archivedData(*value);
  if (!archived.ok()) std::abort();
  auto again = KeyedArchive::unarchiveObject(*archived);
  if (!again.ok()) std::abort();
  auto rearchived = KeyedArchive::archivedData(*again);
  if (!rearchived.ok() || *rearchived != *archived) std::abort();
  return 0;
}
