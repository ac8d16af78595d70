#include <gtest/gtest.h>
#include <algorithm>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/Collection.h"
#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Picture.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Str(const std::string& s) {
  Bytes b(s.size() + 1);
  b[0] = static_cast<BYTE>(s.size());
  std::copy(s.begin(), s.end(), b.begin() + 1);
  return b;
}
Bytes Le32(std::uint32_t v) {
  return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
}
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A keyboard-like object: a 432-byte table stored as "Assigns", also read
// under the older name "Aissgns".
class KeyTable : public TPersistent {
 public:
  std::vector<BYTE> Table = std::vector<BYTE>(432);

 protected:
  void DefineProperties(TFiler* Filer) override {
    TPersistent::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Aissgns", [this](TStream* s) { Read(s); }, nullptr, false);
    Filer->DefineBinaryProperty(
        "Assigns", [this](TStream* s) { Read(s); }, [this](TStream* s) { Write(s); }, true);
  }

 private:
  void Read(TStream* s) { s->ReadBuffer(Table.data(), 432); }
  void Write(TStream* s) { s->WriteBuffer(Table.data(), 432); }
};

enum Mode { mdOff, mdSlow, mdFast };

class FontLike : public TPersistent {
 public:
  std::string Name = "Arial";
  std::int64_t Size = 8;
  void GetProperties(TPropertyList& L) override {
    L.String(
        "Name", [this] { return Name; }, [this](const std::string& v) { Name = v; });
    L.Integer(
        "Size", [this] { return Size; }, [this](std::int64_t v) { Size = v; }, 8);
  }
};

class Everything : public TPersistent {
 public:
  std::int64_t Small = 0, Medium = 0, Large = 0, Huge = 0;
  bool Flag = false;
  std::int64_t ModeValue = mdOff;
  std::int64_t Styles = 0;
  double Ratio = 0;
  std::string Text, LongText;
  std::int64_t Color = 0;
  FontLike Font;
  void GetProperties(TPropertyList& L) override {
    L.Integer(
        "Small", [this] { return Small; }, [this](std::int64_t v) { Small = v; });
    L.Integer(
        "Medium", [this] { return Medium; }, [this](std::int64_t v) { Medium = v; });
    L.Integer(
        "Large", [this] { return Large; }, [this](std::int64_t v) { Large = v; });
    L.Int64(
        "Huge", [this] { return Huge; }, [this](std::int64_t v) { Huge = v; });
    L.Boolean(
        "Flag", [this] { return Flag; }, [this](bool v) { Flag = v; }, false);
    L.Enumeration(
         "Mode", {"mdOff", "mdSlow", "mdFast"}, [this] { return ModeValue; }, [this](std::int64_t v) { ModeValue = v; })
        .HasDefault = true;
    L.Set(
        "Styles", {"fsBold", "fsItalic", "fsUnderline"}, [this] { return Styles; },
        [this](std::int64_t v) { Styles = v; });
    L.Float(
        "Ratio", [this] { return Ratio; }, [this](double v) { Ratio = v; });
    L.String(
        "Text", [this] { return Text; }, [this](const std::string& v) { Text = v; });
    L.String(
        "LongText", [this] { return LongText; }, [this](const std::string& v) { LongText = v; });
    TPropertyInfo& c = L.Integer(
        "Color", [this] { return Color; }, [this](std::int64_t v) { Color = v; });
    c.IntToIdent = [](std::int64_t v, std::string& s) {
      if (v != 0xFF) return false;
      s = "clRed";
      return true;
    };
    c.IdentToInt = [](const std::string& s, std::int64_t& v) {
      if (s != "clRed") return false;
      v = 0xFF;
      return true;
    };
    L.Persistent("Font", [this] { return &Font; });
  }
};

class Wave : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  std::string Name;
  std::int64_t Volume = 0;
  std::vector<BYTE> Data;
  void GetProperties(TPropertyList& L) override {
    L.String(
        "Name", [this] { return Name; }, [this](const std::string& v) { Name = v; });
    L.Integer(
        "Volume", [this] { return Volume; }, [this](std::int64_t v) { Volume = v; }, 0);
  }

 protected:
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "WAVE",
        [this](TStream* s) {
          Data.resize(static_cast<size_t>(s->Size()));
          s->ReadBuffer(Data.data(), s->Size());
        },
        [this](TStream* s) { s->WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size())); }, true);
  }
};

// A collection with a stored property of its own, as picture collections
// store their colour table.
class WaveCollection : public TCollection {
 public:
  explicit WaveCollection(TPersistent* Owner) : TCollection(CollectionItemClassOf<Wave>(), Owner) {}
  std::vector<BYTE> Table = std::vector<BYTE>(4);

 protected:
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "Table", [this](TStream* s) { s->ReadBuffer(Table.data(), 4); },
        [this](TStream* s) { s->WriteBuffer(Table.data(), 4); }, true);
  }
};

class WaveList : public TPersistent {
 public:
  WaveCollection Items{this};
  void GetProperties(TPropertyList& L) override {
    L.Persistent("Items", [this] { return &Items; });
  }
};

Bytes Write(TPersistent* p) {
  TMemoryStream m;
  WritePersistentProperties(&m, p);
  return m.Bytes();
}

void Read(const Bytes& b, TPersistent* p) {
  TBytesStream s(b.data(), static_cast<std::int64_t>(b.size()));
  ReadPersistentProperties(&s, p);
}

std::string ReadError(const Bytes& b, TPersistent* p) {
  try {
    Read(b, p);
  } catch (const EReadError& e) { return e.what(); }
  return "no error";
}

}  // namespace

TEST(Filer, BinaryPropertyRoundTripsByteForByte) {
  KeyTable keys;
  for (size_t i = 0; i < keys.Table.size(); ++i) keys.Table[i] = static_cast<BYTE>(i * 7);
  Bytes written = Write(&keys);
  Bytes expected = Cat({Str("Assigns"), {vaBinary}, Le32(432), keys.Table, {vaNull}});
  EXPECT_EQ(written, expected);

  KeyTable back;
  Read(written, &back);
  EXPECT_EQ(back.Table, keys.Table);
  EXPECT_EQ(Write(&back), written);

  // The older name is read, never written.
  KeyTable legacy;
  Read(Cat({Str("Aissgns"), {vaBinary}, Le32(432), keys.Table, {vaNull}}), &legacy);
  EXPECT_EQ(legacy.Table, keys.Table);

  // A value shorter than the table fails with the stream's read error.
  EXPECT_EQ(ReadError(Cat({Str("Assigns"), {vaBinary}, Le32(10), Bytes(10), {vaNull}}), &back), "Stream read error");
  // A length past the end of the stream is refused before anything is allocated.
  EXPECT_EQ(ReadError(Cat({Str("Assigns"), {vaBinary}, Le32(0x7FFFFFFF), {vaNull}}), &back), "Stream read error");
  // A value of another type is not binary data.
  EXPECT_EQ(ReadError(Cat({Str("Assigns"), {vaInt8, 1}, {vaNull}}), &back), "Invalid property value");
}

TEST(Filer, PublishedPropertiesUseTheSmallestEncodingAndSkipDefaults) {
  Everything e;
  e.Small = -5;
  e.Medium = 1000;
  e.Large = -100000;
  e.Huge = std::int64_t{1} << 40;
  e.Flag = true;
  e.ModeValue = mdFast;
  e.Styles = 0b101;
  e.Ratio = 1.5;
  e.Text = "abc";
  e.LongText = std::string(300, 'x');
  e.Color = 0xFF;
  e.Font.Name = "Comic Sans MS";
  Bytes w = Write(&e);
  Bytes expected = Cat({
      Str("Small"),
      {vaInt8, 0xFB},
      Str("Medium"),
      {vaInt16, 0xE8, 0x03},
      Str("Large"),
      {vaInt32},
      Le32(static_cast<std::uint32_t>(-100000)),
      Str("Huge"),
      {vaInt64, 0, 0, 0, 0, 0, 1, 0, 0},
      Str("Flag"),
      {vaTrue},
      Str("Mode"),
      {vaIdent},
      Str("mdFast"),
      Str("Styles"),
      {vaSet},
      Str("fsBold"),
      Str("fsUnderline"),
      {0},
      Str("Ratio"),
      {vaExtended, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F},
      Str("Text"),
      {vaString},
      Str("abc"),
      Str("LongText"),
      {vaLString},
      Le32(300),
      Bytes(300, 'x'),
      Str("Color"),
      {vaIdent},
      Str("clRed"),
      Str("Font.Name"),
      {vaString},
      Str("Comic Sans MS"),  // Font.Size 8 is the default
      {vaNull},
  });
  EXPECT_EQ(w, expected);

  Everything back;
  Read(w, &back);
  EXPECT_EQ(back.Small, -5);
  EXPECT_EQ(back.Medium, 1000);
  EXPECT_EQ(back.Large, -100000);
  EXPECT_EQ(back.Huge, std::int64_t{1} << 40);
  EXPECT_TRUE(back.Flag);
  EXPECT_EQ(back.ModeValue, mdFast);
  EXPECT_EQ(back.Styles, 0b101);
  EXPECT_EQ(back.Ratio, 1.5);
  EXPECT_EQ(back.Text, "abc");
  EXPECT_EQ(back.LongText, std::string(300, 'x'));
  EXPECT_EQ(back.Color, 0xFF);
  EXPECT_EQ(back.Font.Name, "Comic Sans MS");

  // Properties with a default, empty strings and zero floats are left out;
  // integers without a default are always stored.
  Everything empty;
  EXPECT_EQ(Write(&empty), Cat({Str("Small"),
                                {vaInt8, 0},
                                Str("Medium"),
                                {vaInt8, 0},
                                Str("Large"),
                                {vaInt8, 0},
                                Str("Huge"),
                                {vaInt8, 0},
                                Str("Styles"),
                                {vaSet, 0},
                                Str("Color"),
                                {vaInt8, 0},
                                Str("Font.Name"),
                                {vaString},
                                Str("Arial"),
                                {vaNull}}));
}

TEST(Filer, ExtendedFloatsConvertBothWays) {
  for (double v : {0.0, -0.0, 1.0, -2.5, 1e300, 1e-310, 3.141592653589793, -1e-5}) {
    BYTE b[10];
    DoubleToExtended(v, b);
    EXPECT_EQ(ExtendedToDouble(b), v);
  }
  BYTE one[10];
  DoubleToExtended(1.0, one);
  const BYTE expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  EXPECT_EQ(std::memcmp(one, expected, 10), 0);
}

TEST(Filer, ReadsAcceptOtherEncodingsOfTheSameValue) {
  Everything e;
  // Integers in any width, floats as integers, strings as wide strings,
  // booleans and enumerations as identifiers.
  Read(Cat({Str("Small"),
            {vaInt32},
            Le32(7),
            Str("Ratio"),
            {vaInt8, 3},
            Str("Text"),
            {vaWString},
            Le32(2),
            {0x42, 0x01, 'a', 0},
            Str("Flag"),
            {vaIdent},
            Str("True"),
            Str("mode"),
            {vaIdent},
            Str("MDSLOW"),
            Str("font.size"),
            {vaInt16, 0x10, 0x00},
            {vaNull}}),
       &e);
  EXPECT_EQ(e.Small, 7);
  EXPECT_EQ(e.Ratio, 3.0);
  EXPECT_EQ(e.Text,
            "\xB3"
            "a");  // U+0142 is byte 0xB3 in windows-1250
  EXPECT_TRUE(e.Flag);
  EXPECT_EQ(e.ModeValue, mdSlow);
  EXPECT_EQ(e.Font.Size, 16);
}

TEST(Filer, ErrorsNameTheirCause) {
  Everything e;
  struct Case {
    const char* name;
    Bytes bytes;
    const char* error;
  } cases[] = {
      {"unknown property", Cat({Str("Nope"), {vaInt8, 1}, {vaNull}}), "Property Nope does not exist"},
      {"unknown sub-object", Cat({Str("Brush.Color"), {vaInt8, 1}, {vaNull}}), "Property Brush.Color does not exist"},
      {"string for an integer", Cat({Str("Small"), {vaString}, Str("1"), {vaNull}}), "Invalid property value"},
      {"integer out of range", Cat({Str("Small"), {vaInt64, 0, 0, 0, 0, 1, 0, 0, 0}, {vaNull}}),
       "Invalid property value"},
      {"unknown identifier", Cat({Str("Mode"), {vaIdent}, Str("mdWarp"), {vaNull}}), "Invalid property value"},
      {"unknown colour", Cat({Str("Color"), {vaIdent}, Str("clPlaid"), {vaNull}}), "Invalid property value"},
      {"unknown set element", Cat({Str("Styles"), {vaSet}, Str("fsBlink"), {0}, {vaNull}}), "Invalid property value"},
      {"bad value type", Cat({Str("Small"), {0x55}, {vaNull}}), "Invalid stream format"},
      {"cut short", Cat({Str("Large"), {vaInt32, 1, 2}}), "Stream read error"},
      {"no end mark", Cat({Str("Small"), {vaInt8, 1}}), "Stream read error"},
      {"long string past the end", Cat({Str("Text"), {vaLString}, Le32(0x40000000), {vaNull}}), "Stream read error"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadError(c.bytes, &e), c.error) << c.name;

  TMemoryStream m;
  m.WriteBuffer("TPF1", 4);
  m.SetPosition(0);
  TReader r(&m);
  try {
    r.ReadSignature();
    FAIL();
  } catch (const EReadError& err) { EXPECT_STREQ(err.what(), "Invalid stream format"); }
}

TEST(Filer, CollectionsReadTheirItemsWithTheirProperties) {
  // As stored: an order number before an item is allowed.
  Bytes stored = Cat({
      Str("Items.Table"), {vaBinary},  Le32(4),       {1, 2, 3, 4}, Str("Items"), {vaCollection}, {vaList}, Str("Name"),
      {vaString},         Str("hit"),  Str("Volume"), {vaInt8, 3},  Str("WAVE"),  {vaBinary},     Le32(2),  {'R', 'I'},
      {vaNull},           {vaInt8, 1}, {vaList},      Str("Name"),  {vaString},   Str("miss"),    {vaNull}, {vaNull},
      {vaNull},
  });
  WaveList list;
  new Wave(&list.Items);  // replaced by the stored items
  Read(stored, &list);
  ASSERT_EQ(list.Items.Count(), 2);
  auto* a = static_cast<Wave*>(list.Items.Items(0));
  auto* b = static_cast<Wave*>(list.Items.Items(1));
  EXPECT_EQ(a->Name, "hit");
  EXPECT_EQ(a->Volume, 3);
  EXPECT_EQ(a->Data, (std::vector<BYTE>{'R', 'I'}));
  EXPECT_EQ(b->Name, "miss");
  EXPECT_TRUE(b->Data.empty());
  EXPECT_EQ(a->Collection(), &list.Items);
  EXPECT_EQ(list.Items.Table, (std::vector<BYTE>{1, 2, 3, 4}));

  // Written back: the same stream, minus the order number; "WAVE" is always written.
  Bytes written = Write(&list);
  Bytes expected = Cat({
      Str("Items.Table"), {vaBinary},  Le32(4),     {1, 2, 3, 4}, Str("Items"),  {vaCollection},
      {vaList},           Str("Name"), {vaString},  Str("hit"),   Str("Volume"), {vaInt8, 3},
      Str("WAVE"),        {vaBinary},  Le32(2),     {'R', 'I'},   {vaNull},      {vaList},
      Str("Name"),        {vaString},  Str("miss"), Str("WAVE"),  {vaBinary},    Le32(0),
      {vaNull},           {vaNull},    {vaNull},
  });
  EXPECT_EQ(written, expected);
  // An item property the item does not have.
  EXPECT_EQ(
      ReadError(Cat({Str("Items"), {vaCollection}, {vaList}, Str("Pitch"), {vaInt8, 1}, {vaNull}, {vaNull}, {vaNull}}),
                &list),
      "Property Pitch does not exist");
}

TEST(Filer, RootObjectsCarryClassAndNameAndSkipChildren) {
  KeyTable keys;
  keys.Table[0] = 9;
  TMemoryStream m;
  TWriter w(&m);
  w.WriteRootObject(&keys, "TKeyboard", "Keyboard1");
  Bytes b = m.Bytes();
  ASSERT_GE(b.size(), 4u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "TPF0");
  EXPECT_EQ(b[4], 9);
  EXPECT_EQ(std::string(b.begin() + 5, b.begin() + 14), "TKeyboard");

  // Insert a child object before the final end mark; the reader skips it.
  b.pop_back();
  Bytes child = Cat({Str("TChild"), Str("C1"), Str("Assigns"), {vaBinary}, Le32(1), {7}, {vaNull}, {vaNull}});
  b.insert(b.end(), child.begin(), child.end());
  b.push_back(vaNull);
  TBytesStream s(b.data(), static_cast<std::int64_t>(b.size()));
  TReader r(&s);
  KeyTable back;
  std::string cls, name;
  r.ReadRootObject(&back, &cls, &name);
  EXPECT_EQ(cls, "TKeyboard");
  EXPECT_EQ(name, "Keyboard1");
  EXPECT_EQ(back.Table[0], 9);
  EXPECT_EQ(s.Position(), s.Size());
}

namespace {

// A tree node: its children are a stored collection of nodes.
class TreeNode : public TCollectionItem {
 public:
  explicit TreeNode(TCollection* Collection)
      : TCollectionItem(Collection), Kids(CollectionItemClassOf<TreeNode>(), this) {}
  TCollection Kids;
  void GetProperties(TPropertyList& L) override {
    L.Persistent("Kids", [this] { return &Kids; });
  }
};

class Tree : public TPersistent {
 public:
  TCollection Roots{CollectionItemClassOf<TreeNode>(), this};
  void GetProperties(TPropertyList& L) override {
    L.Persistent("Kids", [this] { return &Roots; });
  }
};

// An object whose "Inner" property is read by its own reader as another
// object of its kind, so the reader recurses through its owner.
class Nested : public TPersistent {
 public:
  std::unique_ptr<Nested> Inner;

 protected:
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineProperty(
        "Inner",
        [this](TReader* r) {
          r->ReadListBegin();
          Inner = std::make_unique<Nested>();
          r->ReadProperties(Inner.get());
        },
        nullptr, false);
  }
};

// Levels of "Kids" collections, one item each.
Bytes NestedKids(int Levels) {
  Bytes b;
  const Bytes level = Cat({Str("Kids"), {vaCollection, vaList}});
  for (int i = 0; i < Levels; ++i) b.insert(b.end(), level.begin(), level.end());
  b.insert(b.end(), static_cast<size_t>(Levels) * 2, vaNull);
  b.push_back(vaNull);
  return b;
}

Bytes NestedInner(int Levels) {
  Bytes b;
  const Bytes level = Cat({Str("Inner"), {vaList}});
  for (int i = 0; i < Levels; ++i) b.insert(b.end(), level.begin(), level.end());
  b.insert(b.end(), static_cast<size_t>(Levels) + 1, vaNull);
  return b;
}

// A root object whose child object holds a property of nested collections,
// which the reader skips.
Bytes SkippedChild(int Levels) {
  Bytes b = Cat({{'T', 'P', 'F', '0'}, Str("TTree"), Str(""), {vaNull}, Str("TChild"), Str("C"), Str("Kids")});
  const Bytes level = Cat({{vaCollection, vaList}, Str("Kids")});
  for (int i = 0; i < Levels; ++i) b.insert(b.end(), level.begin(), level.end());
  b.push_back(vaNull);  // the innermost value: an empty list
  b.insert(b.end(), static_cast<size_t>(Levels) * 2, vaNull);
  return Cat({b, {vaNull, vaNull, vaNull}});
}

int Depth(const TCollection& c) {
  return c.Count() == 0 ? 0 : 1 + Depth(static_cast<const TreeNode*>(c.Items(0))->Kids);
}

}  // namespace

TEST(Filer, NestingIsLimitedOnEveryPathTheReaderRecursesOn) {
  // Up to the limit the data loads.
  Tree tree;
  Read(NestedKids(64), &tree);
  EXPECT_EQ(Depth(tree.Roots), 64);
  Nested nested;
  Read(NestedInner(64), &nested);
  int inner = 0;
  for (Nested* n = nested.Inner.get(); n; n = n->Inner.get()) ++inner;
  EXPECT_EQ(inner, 64);
  {
    Bytes b = SkippedChild(63);
    TBytesStream s(b.data(), static_cast<std::int64_t>(b.size()));
    TReader r(&s);
    Tree back;
    EXPECT_NO_THROW(r.ReadRootObject(&back));
    EXPECT_EQ(s.Position(), s.Size());
  }
  // One level more, or tens of thousands (which would exhaust the stack),
  // fail with the reader's error.
  for (int levels : {65, 50000}) {
    SCOPED_TRACE(levels);
    Tree t;
    EXPECT_EQ(ReadError(NestedKids(levels), &t), "Invalid stream format");
    Nested n;
    EXPECT_EQ(ReadError(NestedInner(levels), &n), "Invalid stream format");
    Bytes b = SkippedChild(levels);
    TBytesStream s(b.data(), static_cast<std::int64_t>(b.size()));
    TReader r(&s);
    Tree back;
    try {
      r.ReadRootObject(&back);
      ADD_FAILURE() << "no error";
    } catch (const EReadError& e) { EXPECT_STREQ(e.what(), "Invalid stream format"); }
  }
}

TEST(Filer, PicturesStoreTheirClassNameAndGraphic) {
  class Holder : public TPersistent {
   public:
    TPicture Picture;
    void GetProperties(TPropertyList& L) override {
      L.Persistent("Picture", [this] { return &Picture; });
    }
  };
  Holder h;
  h.Picture.Bitmap()->SetPixelFormat(pf24bit);
  h.Picture.Bitmap()->SetSize(3, 2);
  h.Picture.Bitmap()->Canvas()->SetPixel(2, 1, clRed);
  Bytes w = Write(&h);
  // "Picture.Data", binary: "TBitmap", the BMP's byte count, the BMP.
  Bytes head = Cat({Str("Picture.Data"), {vaBinary}});
  ASSERT_GT(w.size(), head.size() + 4 + 8 + 4 + 2);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), w.begin()));
  size_t at = head.size() + 4;
  EXPECT_EQ(Bytes(w.begin() + at, w.begin() + at + 8), Str("TBitmap"));
  EXPECT_EQ(w[at + 12], 'B');
  EXPECT_EQ(w[at + 13], 'M');

  Holder back;
  Read(w, &back);
  ASSERT_NE(dynamic_cast<TBitmap*>(back.Picture.Graphic()), nullptr);
  EXPECT_EQ(back.Picture.Width(), 3);
  EXPECT_EQ(back.Picture.Bitmap()->Canvas()->GetPixel(2, 1), clRed);
  EXPECT_EQ(Write(&back), w);

  // An empty picture stores nothing; a class nobody registered is refused.
  Holder empty;
  EXPECT_EQ(Write(&empty), Bytes{vaNull});
  Bytes unknown = Cat({Str("Picture.Data"), {vaBinary}, Le32(6), Str("TIcon"), {vaNull}});
  EXPECT_EQ(ReadError(unknown, &back), "Invalid property value");
}

TEST(Filer, GraphicsStoreTheirDataProperty) {
  class Button : public TPersistent {
   public:
    TBitmap Glyph;
    void GetProperties(TPropertyList& L) override {
      L.Persistent("Glyph", [this] { return &Glyph; });
    }
  };
  Button b;
  EXPECT_EQ(Write(&b), Bytes{vaNull});  // an empty bitmap stores nothing
  b.Glyph.SetPixelFormat(pf4bit);
  b.Glyph.SetSize(5, 5);
  b.Glyph.Canvas()->SetPixel(4, 4, clRed);
  Bytes w = Write(&b);
  Bytes head = Cat({Str("Glyph.Data"), {vaBinary}});
  ASSERT_TRUE(std::equal(head.begin(), head.end(), w.begin()));
  // The value: the BMP's byte count, then the BMP.
  std::uint32_t value = w[head.size()] | (w[head.size() + 1] << 8);
  std::uint32_t bmp = w[head.size() + 4] | (w[head.size() + 5] << 8);
  EXPECT_EQ(value, bmp + 4);
  EXPECT_EQ(w[head.size() + 8], 'B');
  Button back;
  Read(w, &back);
  EXPECT_EQ(back.Glyph.PixelFormat(), pf4bit);
  EXPECT_EQ(back.Glyph.Canvas()->GetPixel(4, 4), clRed);
}
