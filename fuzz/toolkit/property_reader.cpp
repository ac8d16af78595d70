// Stored component data from untrusted bytes: the property reader must refuse
// malformed data with its errors, never crash, and an object read from data
// writes data that read back to the same object.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/toolkit/Collection.h"
#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Picture.h"

namespace {

class Item : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  std::string Name;
  std::int64_t Width = 0;
  std::vector<BYTE> Wave;
  void GetProperties(TPropertyList& L) override {
    L.String(
        "Name", [this] { return Name; }, [this](const std::string& v) { Name = v; });
    L.Integer(
        "Width", [this] { return Width; }, [this](std::int64_t v) { Width = v; }, 0);
  }

 protected:
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "WAVE",
        [this](TStream* s) {
          Wave.resize(static_cast<size_t>(s->Size()));
          s->ReadBuffer(Wave.data(), s->Size());
        },
        [this](TStream* s) { s->WriteBuffer(Wave.data(), static_cast<std::int64_t>(Wave.size())); }, !Wave.empty());
  }
};

class Root : public TPersistent {
 public:
  std::int64_t Count = 0, Big = 0, Mode = 0, Options = 0;
  bool Active = false;
  double Ratio = 0;
  std::string Caption;
  TCollection Items{CollectionItemClassOf<Item>(), this};
  TPicture Picture;
  void GetProperties(TPropertyList& L) override {
    L.Integer(
        "Count", [this] { return Count; }, [this](std::int64_t v) { Count = v; }, 0);
    L.Int64(
         "Big", [this] { return Big; }, [this](std::int64_t v) { Big = v; })
        .HasDefault = true;
    L.Boolean(
        "Active", [this] { return Active; }, [this](bool v) { Active = v; }, false);
    L.Enumeration(
         "Mode", {"mA", "mB", "mC"}, [this] { return Mode; }, [this](std::int64_t v) { Mode = v; })
        .HasDefault = true;
    L.Set(
         "Options", {"oA", "oB", "oC"}, [this] { return Options; }, [this](std::int64_t v) { Options = v; })
        .HasDefault = true;
    L.Float(
        "Ratio", [this] { return Ratio; }, [this](double v) { Ratio = v; });
    L.String(
        "Caption", [this] { return Caption; }, [this](const std::string& v) { Caption = v; });
    L.Persistent("Items", [this] { return &Items; });
    L.Persistent("Picture", [this] { return &Picture; });
  }
};

std::vector<std::uint8_t> Written(Root& r) {
  TMemoryStream m;
  WritePersistentProperties(&m, &r);
  return m.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  Root root;
  try {
    TBytesStream s(Data, static_cast<std::int64_t>(Size));
    if (Size >= 4 && Data[0] == 'T') {
      TReader reader(&s);
      reader.ReadRootObject(&root);
    } else {
      ReadPersistentProperties(&s, &root);
    }
  } catch (const Exception&) { return 0; }
  // NaN never compares equal to itself; such a value is not compared.
  if (root.Ratio != root.Ratio) return 0;
  std::vector<std::uint8_t> first = Written(root);
  Root again;
  TBytesStream s(first.data(), static_cast<std::int64_t>(first.size()));
  ReadPersistentProperties(&s, &again);
  if (Written(again) != first) std::abort();
  return 0;
}
