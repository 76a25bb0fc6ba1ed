#include "platform/foundation/KeyedArchive.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "platform/foundation/PropertyList.h"

namespace foundation {
namespace {

// Shaped like the application's models: optional text properties, and objects holding objects.
class Song : public Archivable {
 public:
  std::optional<std::string> songId;
  std::optional<std::string> name;

  std::string archiveClassName() const override { return "TestSong"; }
  void encode(ArchiveEncoder& encoder) const override {
    if (songId) encoder.encodeObject(*songId, "songId");
    if (name) encoder.encodeObject(*name, "name");
  }
  static std::shared_ptr<Archivable> decode(ArchiveDecoder& decoder) {
    auto song = std::make_shared<Song>();
    song->songId = decoder.decodeString("songId");
    song->name = decoder.decodeString("name");
    return song;
  }
};

class Programme : public Archivable {
 public:
  std::optional<std::string> programId;
  std::shared_ptr<Song> theme;
  std::vector<std::shared_ptr<Song>> songs;

  std::string archiveClassName() const override { return "TestProgramme"; }
  void encode(ArchiveEncoder& encoder) const override {
    if (programId) encoder.encodeObject(*programId, "programId");
    encoder.encodeObject(theme, "theme");
    Array list;
    for (const auto& song : songs) list.push_back(song);
    encoder.encodeObject(list, "songs");
  }
  static std::shared_ptr<Archivable> decode(ArchiveDecoder& decoder) {
    auto programme = std::make_shared<Programme>();
    programme->programId = decoder.decodeString("programId");
    programme->theme = decoder.decodeObjectOfClass<Song>("theme");
    programme->songs = decoder.decodeArrayOfClass<Song>("songs").value_or(std::vector<std::shared_ptr<Song>>{});
    return programme;
  }
};

// Archives whatever fields it is given under whatever class name: for crafting odd archives.
class Raw : public Archivable {
 public:
  Raw(std::string className, Dictionary fields) : fields_(std::move(fields)), className_(std::move(className)) {}
  std::string archiveClassName() const override { return className_; }
  void encode(ArchiveEncoder& encoder) const override {
    for (const auto& [key, value] : fields_) encoder.encodeObject(value, key);
    if (fields_.contains("refuse")) encoder.fail("asked to");
  }
  Dictionary fields_;

 private:
  std::string className_;
};

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& registry = ArchiveRegistry::shared();
    registry.registerClass("TestSong", Song::decode);
    registry.registerClass("TestProgramme", Programme::decode);
    registry.registerClass("TestRaw", [](ArchiveDecoder& decoder) {
      Dictionary fields;
      for (const char* key : {"child", "a", "b"})
        if (decoder.containsValue(key)) fields.set(key, decoder.decodeObject(key));
      return std::make_shared<Raw>("TestRaw", std::move(fields));
    });
    registry.registerClass("TestRefusing", [](ArchiveDecoder&) { return std::shared_ptr<Archivable>(); });
    registry.registerClass("TestComplaining", [](ArchiveDecoder& decoder) {
      decoder.fail("the id is missing");
      return std::make_shared<Raw>("TestComplaining", Dictionary{});
    });
  }

  static std::shared_ptr<Song> song(std::string id, std::optional<std::string> name) {
    auto s = std::make_shared<Song>();
    s->songId = std::move(id);
    s->name = std::move(name);
    return s;
  }

  static Value roundTrip(const Value& root) {
    auto data = KeyedArchive::archivedData(root);
    EXPECT_TRUE(data.ok()) << data.error()->debugText();
    if (!data.ok()) return Value();
    auto back = KeyedArchive::unarchiveObject(*data);
    EXPECT_TRUE(back.ok()) << back.error()->debugText();
    return back.ok() ? *back : Value();
  }

  static ErrorPtr archiveError(const Value& root) {
    auto data = KeyedArchive::archivedData(root);
    EXPECT_FALSE(data.ok());
    return data.ok() ? makeError("none", 0, "archived") : data.error();
  }

  static ErrorPtr unarchiveError(const Bytes& data) {
    auto back = KeyedArchive::unarchiveObject(data);
    EXPECT_FALSE(back.ok());
    if (back.ok()) return makeError("none", 0, "unarchived");
    EXPECT_EQ(back.error()->domain(), kKeyedArchiveErrorDomain);
    return back.error();
  }

  static Bytes archived(const Value& root) {
    auto data = KeyedArchive::archivedData(root);
    EXPECT_TRUE(data.ok()) << data.error()->debugText();
    return data.ok() ? *data : Bytes{};
  }

  static Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }
};

TEST_F(ArchiveTest, ObjectsHoldingObjectsRoundTrip) {
  auto programme = std::make_shared<Programme>();
  programme->programId = "77";
  programme->theme = song("1", "主题");
  programme->songs = {song("2", "first"), song("3", std::nullopt), song("4", "")};

  auto back = roundTrip(programme).objectAs<Programme>();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->programId, "77");
  ASSERT_NE(back->theme, nullptr);
  EXPECT_EQ(back->theme->name, "主题");
  ASSERT_EQ(back->songs.size(), 3u);
  EXPECT_EQ(back->songs[0]->songId, "2");
  EXPECT_EQ(back->songs[1]->name, std::nullopt);
  EXPECT_EQ(back->songs[2]->name, "");
  EXPECT_NE(back->songs[0], programme->songs[0]);
}

TEST_F(ArchiveTest, PlainValuesKeepTheirKindsOrderAndNulls) {
  Dictionary settings;
  settings.set("userSettingForPlaying", "WiFi");
  settings.set("$class", "a key that looks like the format's own");
  settings.set("nothing", nullptr);
  settings.set("numbers", Array{1, std::numeric_limits<std::uint64_t>::max(), 2.5, true, false, nullptr});
  settings.set("raw", Bytes{0, 255});
  settings.set("when", Date{1714552200});
  settings.set("empty", Dictionary{});
  Value back = roundTrip(settings);
  EXPECT_EQ(back, Value(settings));
  EXPECT_EQ(back.getDictionary()->keys(), settings.keys());
  EXPECT_EQ(back["numbers"].getArray()->at(3).kind(), Value::Kind::Bool);
  EXPECT_EQ(roundTrip(Array{"userIsLogin", "userRadioAndProgram"}), Value(Array{"userIsLogin", "userRadioAndProgram"}));
  EXPECT_TRUE(roundTrip(Value()).isNull());
  EXPECT_EQ(roundTrip("fragment"), Value("fragment"));
}

TEST_F(ArchiveTest, DictionariesOfObjectsRoundTrip) {
  Dictionary cache{{"userIsLogin", song("9", "me")}, {"list", Array{song("1", "a"), 5}}};
  Value back = roundTrip(cache);
  ASSERT_NE(back["userIsLogin"].objectAs<Song>(), nullptr);
  EXPECT_EQ(back["userIsLogin"].objectAs<Song>()->name, "me");
  EXPECT_EQ(back["list"].getArray()->at(0).objectAs<Song>()->songId, "1");
  EXPECT_EQ(back["list"].getArray()->at(1), Value(5));
}

TEST_F(ArchiveTest, NullFieldsAreNotStored) {
  auto raw = std::make_shared<Raw>("TestRaw", Dictionary{{"a", nullptr}, {"b", "kept"}});
  auto back = roundTrip(raw).objectAs<Raw>();
  ASSERT_NE(back, nullptr);
  EXPECT_FALSE(back->fields_.contains("a"));
  EXPECT_EQ(back->fields_["b"], Value("kept"));
}

TEST_F(ArchiveTest, ValuesThatCannotBeArchivedAreRefused) {
  struct Plain : Object {};
  EXPECT_EQ(archiveError(Dictionary{{"p", std::make_shared<Plain>()}})->code(), kKeyedArchiveUnarchivableError);
  ErrorPtr unregistered = archiveError(Array{1, std::make_shared<Raw>("TestNeverRegistered", Dictionary{})});
  EXPECT_EQ(unregistered->code(), kKeyedArchiveUnarchivableError);
  EXPECT_NE(unregistered->description().find("$root[1]"), std::string::npos) << unregistered->description();
  ErrorPtr refused = archiveError(std::make_shared<Raw>("TestRaw", Dictionary{{"refuse", 1}}));
  EXPECT_NE(refused->description().find("asked to"), std::string::npos);

  auto loop = std::make_shared<Raw>("TestRaw", Dictionary{});
  loop->fields_.set("child", Array{std::make_shared<Raw>("TestRaw", Dictionary{{"child", loop}})});
  ErrorPtr cycle = archiveError(loop);
  EXPECT_EQ(cycle->code(), kKeyedArchiveCycleError);
  loop->fields_.clear();  // let the pair be freed

  Value deep = 1;
  for (std::size_t i = 0; i < KeyedArchive::kMaxDepth; ++i) deep = Array{deep};
  EXPECT_TRUE(KeyedArchive::archivedData(deep).ok());
  EXPECT_EQ(archiveError(Array{deep})->code(), kKeyedArchiveTooDeepError);
  Value deepObjects = 1;
  for (std::size_t i = 0; i <= KeyedArchive::kMaxDepth; ++i)
    deepObjects = std::make_shared<Raw>("TestRaw", Dictionary{{"child", deepObjects}});
  EXPECT_EQ(archiveError(deepObjects)->code(), kKeyedArchiveTooDeepError);
}

TEST_F(ArchiveTest, SharedObjectsComeBackAsCopies) {
  auto shared = song("5", "twice");
  Value back = roundTrip(Array{shared, shared});
  auto first = back.getArray()->at(0).objectAs<Song>();
  auto second = back.getArray()->at(1).objectAs<Song>();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->name, second->name);
}

TEST_F(ArchiveTest, UnknownClassesAndWrongKindsAreErrors) {
  std::string xml;
  Bytes programme = archived(std::make_shared<Raw>("TestProgramme", Dictionary{{"songs", Array{song("1", "x")}}}));
  xml.assign(programme.begin(), programme.end());
  xml.replace(xml.find("TestSong"), 8, "GoneSong");
  EXPECT_EQ(unarchiveError(bytesOf(xml))->code(), kKeyedArchiveUnknownClassError);

  struct Case {
    Value root;
    std::string says;
  };
  std::vector<Case> cases;
  cases.push_back({std::make_shared<Raw>("TestSong", Dictionary{{"name", Array{}}}), "expects text"});
  cases.push_back({std::make_shared<Raw>("TestProgramme", Dictionary{{"songs", "x"}}), "expects an array"});
  cases.push_back({std::make_shared<Raw>("TestProgramme", Dictionary{{"songs", Array{song("1", "x"), 2}}}),
                   "expects an array of objects"});
  cases.push_back({std::make_shared<Raw>("TestProgramme", Dictionary{{"theme", Array{}}}), "expects an object"});
  cases.push_back({Array{std::make_shared<Raw>("TestRefusing", Dictionary{})}, "refused by its class"});
  cases.push_back({std::make_shared<Raw>("TestComplaining", Dictionary{}), "the id is missing"});
  for (const auto& c : cases) {
    ErrorPtr error = unarchiveError(archived(c.root));
    EXPECT_EQ(error->code(), kKeyedArchiveWrongTypeError) << c.says;
    EXPECT_NE(error->description().find(c.says), std::string::npos) << error->description();
  }
}

TEST_F(ArchiveTest, ForeignAndDamagedDataAreErrors) {
  auto envelope = [](const std::string& root) {
    return bytesOf(
        "<?xml version=\"1.0\"?><plist><dict><key>$archiver</key><string>KeyedArchive</string>"
        "<key>$version</key><integer>1</integer><key>$root</key>" +
        root + "</dict></plist>");
  };
  std::vector<Bytes> corrupt = {
      Bytes{},
      bytesOf("{\"json\": true}"),
      Bytes{0x62, 0x70, 0x6c, 0x69, 0x73, 0x74, 0x30, 0x30, 0xff},
      bytesOf(*PropertyList::serialize(Dictionary{{"plain", "dictionary"}})),
      bytesOf(*PropertyList::serialize(Array{1, 2})),
      bytesOf(*PropertyList::serialize(Dictionary{{"$archiver", "KeyedArchive"}, {"$version", 2}, {"$root", 1}})),
      bytesOf(*PropertyList::serialize(Dictionary{{"$archiver", "KeyedArchive"}, {"$version", 1}})),
      envelope("<dict><key>no</key><string>class</string></dict>"),
      envelope("<dict><key>$class</key><integer>3</integer></dict>"),
      envelope("<dict><key>$class</key><string>$weird</string></dict>"),
      envelope("<dict><key>$class</key><string>$dictionary</string></dict>"),
      envelope("<dict><key>$class</key><string>TestSong</string><key>$fields</key><array/></dict>"),
      envelope("<array><dict/></array>"),
  };
  for (const auto& data : corrupt) {
    ErrorPtr error = unarchiveError(data);
    EXPECT_EQ(error->code(), kKeyedArchiveCorruptError) << std::string(data.begin(), data.end()) << "\n"
                                                        << error->debugText();
  }
  EXPECT_NE(unarchiveError(Bytes{'x'})->underlying(), nullptr);
}

TEST_F(ArchiveTest, EveryTruncationOfAnArchiveIsAnError) {
  auto programme = std::make_shared<Programme>();
  programme->programId = "1";
  programme->songs = {song("2", "a")};
  Bytes data = archived(Dictionary{{"p", programme}, {"n", nullptr}});
  for (std::size_t length = 0; length + 12 < data.size(); ++length)
    EXPECT_FALSE(KeyedArchive::unarchiveObject(Bytes(data.begin(), data.begin() + static_cast<long>(length))).ok());
}

TEST_F(ArchiveTest, CraftedDeepNestingIsRefused) {
  Value node = 1;
  for (std::size_t i = 0; i <= KeyedArchive::kMaxDepth; ++i) node = Array{node};
  auto back =
      KeyedArchive::unarchivePropertyList(Dictionary{{"$archiver", "KeyedArchive"}, {"$version", 1}, {"$root", node}});
  ASSERT_FALSE(back.ok());
  EXPECT_EQ(back.error()->code(), kKeyedArchiveTooDeepError);
}

TEST_F(ArchiveTest, RegistryRefusesReservedAndEmptyRegistrations) {
  auto& registry = ArchiveRegistry::shared();
  EXPECT_FALSE(registry.registerClass("", Song::decode));
  EXPECT_FALSE(registry.registerClass("$null", Song::decode));
  EXPECT_FALSE(registry.registerClass("TestEmpty", ArchiveFactory()));
  EXPECT_FALSE(registry.isRegistered("TestEmpty"));
  EXPECT_TRUE(registry.isRegistered("TestSong"));
}

TEST_F(ArchiveTest, ArchivesAreReadOnSeveralThreadsWhileClassesRegister) {
  Bytes data = archived(Array{song("1", "a"), song("2", "b")});
  auto readMany = [&data] {
    for (int i = 0; i < 50; ++i) {
      auto back = KeyedArchive::unarchiveObject(data);
      ASSERT_TRUE(back.ok());
      ASSERT_EQ(back->getArray()->at(1).objectAs<Song>()->name, "b");
    }
  };
  std::thread first(readMany);
  std::thread second(readMany);
  for (int i = 0; i < 50; ++i) ArchiveRegistry::shared().registerClass("TestLate" + std::to_string(i), Song::decode);
  first.join();
  second.join();
}

}  // namespace
}  // namespace foundation
