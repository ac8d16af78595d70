#include "display/DXClass.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/Modules.h"

namespace {

int EntryOne() { return 1; }
int EntryTwo() { return 2; }

FARPROC Addr(int (*f)()) { return reinterpret_cast<FARPROC>(f); }

class LibraryLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeBoundLibraries();
    ModuleRegistry::Register("Fake.dll", {{"One", Addr(&EntryOne)}, {"Two", Addr(&EntryTwo)}});
    ModuleRegistry::Register("Other.dll", {{"One", Addr(&EntryOne)}});
    ModuleRegistry::ResetCounters();
  }
  void TearDown() override {
    FreeBoundLibraries();
    ModuleRegistry::ResetCounters();
  }
};

std::string MessageOf(const std::string& dll, const std::string& proc) {
  try {
    BindLibraryProc(dll, proc);
  } catch (const Exception& e) { return e.Message(); }
  return "no exception";
}

}  // namespace

TEST(IntMinMax, Clamp) {
  EXPECT_EQ(IntMax(3, -7), 3);
  EXPECT_EQ(IntMax(-7, 3), 3);
  EXPECT_EQ(IntMin(3, -7), -7);
  EXPECT_EQ(IntMax(INT32_MIN, INT32_MAX), INT32_MAX);
  EXPECT_EQ(IntMin(INT32_MIN, INT32_MAX), INT32_MIN);
}

TEST_F(LibraryLoader, OneLoadPerNameWhateverItsSpelling) {
  EXPECT_EQ(BindLibraryProc("Fake.dll", "One"), Addr(&EntryOne));
  EXPECT_EQ(BindLibraryProc("fake.dll", "Two"), Addr(&EntryTwo));
  EXPECT_EQ(BindLibraryProc("FAKE.DLL", "One"), Addr(&EntryOne));
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
  EXPECT_EQ(ModuleRegistry::References("Fake.dll"), 1);
}

TEST_F(LibraryLoader, MissingEntryNamesTheLibraryAndKeepsItLoaded) {
  EXPECT_EQ(MessageOf("Fake.dll", "Three"), "Fake.dll not loaded");
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
  EXPECT_EQ(BindLibraryProc("Fake.dll", "Two"), Addr(&EntryTwo));
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
}

TEST_F(LibraryLoader, LibraryThatFailsToLoadIsTriedAgain) {
  ModuleRegistry::SetMissing("Fake.dll", true);
  EXPECT_EQ(MessageOf("Fake.dll", "One"), "Fake.dll not loaded");
  EXPECT_EQ(MessageOf("fAKE.dll", "One"), "fAKE.dll not loaded");
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 0);
  ModuleRegistry::SetMissing("Fake.dll", false);
  EXPECT_EQ(BindLibraryProc("Fake.dll", "One"), Addr(&EntryOne));
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 1);
  EXPECT_EQ(MessageOf("Unknown.dll", "One"), "Unknown.dll not loaded");
}

TEST_F(LibraryLoader, FreeBoundLibrariesFreesEachOnceAndForgetsThem) {
  BindLibraryProc("Other.dll", "One");
  BindLibraryProc("Fake.dll", "One");
  BindLibraryProc("fake.dll", "Two");
  FreeBoundLibraries();
  EXPECT_EQ(ModuleRegistry::FreeCount("Fake.dll"), 1);
  EXPECT_EQ(ModuleRegistry::FreeCount("Other.dll"), 1);
  EXPECT_EQ(ModuleRegistry::References("Fake.dll"), 0);
  FreeBoundLibraries();
  EXPECT_EQ(ModuleRegistry::FreeCount("Fake.dll"), 1);
  // A new bind loads the library again.
  BindLibraryProc("Fake.dll", "One");
  EXPECT_EQ(ModuleRegistry::LoadCount("Fake.dll"), 2);
}

namespace {
class TCountingDirectX : public TDirectX {
 public:
  int Errors = 0;

 protected:
  void DoError() override { ++Errors; }
};
}  // namespace

TEST(DirectX, CheckRecordsEveryResultAndReportsNonZero) {
  TCountingDirectX dx;
  EXPECT_EQ(dx.LastResult(), 0);
  struct {
    HRESULT value;
    int errorsAfter;
  } cases[] = {{0, 0}, {S_FALSE, 1}, {E_FAIL, 2}, {0, 2}, {42, 3}};
  for (const auto& c : cases) {
    dx.Check(c.value);
    EXPECT_EQ(dx.LastResult(), c.value);
    EXPECT_EQ(dx.Errors, c.errorsAfter);
  }
}

TEST(DirectX, ErrorIsAnException) {
  try {
    throw EDirectXError("x");
  } catch (const Exception& e) { EXPECT_EQ(e.Message(), "x"); }
}

// Window-procedure subclasses

namespace {

constexpr UINT kProbe = 0x8123;

// A control that records the messages its own procedure sees.
class TProbeControl : public TControl {
 public:
  explicit TProbeControl() : TControl(nullptr) {}
  std::vector<std::string>* Log = nullptr;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == kProbe && Log) Log->push_back("control");
    TControl::WndProc(Message);
  }
};

// A subclass whose handler logs its name and passes the message on.
struct TLoggingSubClass {
  std::string Name;
  std::vector<std::string>& Log;
  std::unique_ptr<TControlSubClass> Sub;
  std::function<void()> During;  // run inside the handler, before passing on
  bool PassOn = true;

  TLoggingSubClass(TControl* control, std::string name, std::vector<std::string>& log)
      : Name(std::move(name)), Log(log) {
    Sub = std::make_unique<TControlSubClass>(control, TSubClassHandler(this, &TLoggingSubClass::Handle));
  }
  void Handle(TMessage& Message, const TWndMethod& DefWindowProc) {
    if (Message.Msg == kProbe) Log.push_back(Name);
    if (During) During();
    if (PassOn) DefWindowProc(Message);
  }
};

std::vector<std::string> Send(TProbeControl& control, std::vector<std::string>& log) {
  log.clear();
  control.Perform(kProbe);
  return log;
}

using Names = std::vector<std::string>;

}  // namespace

TEST(ControlSubClass, HandlersRunNewestFirstAndLastInFirstOutRestoresExactly) {
  std::vector<std::string> log;
  TProbeControl control;
  control.Log = &log;
  const TWndMethod original = control.WindowProc;
  auto a = std::make_unique<TLoggingSubClass>(&control, "a", log);
  EXPECT_TRUE(a->Sub->PreviousWindowProc() == original);
  EXPECT_EQ(a->Sub->Control(), &control);
  auto b = std::make_unique<TLoggingSubClass>(&control, "b", log);
  EXPECT_EQ(Send(control, log), (Names{"b", "a", "control"}));
  b.reset();
  EXPECT_EQ(Send(control, log), (Names{"a", "control"}));
  a.reset();
  EXPECT_TRUE(control.WindowProc == original);
  EXPECT_EQ(Send(control, log), (Names{"control"}));
}

TEST(ControlSubClass, HandlerDecidesWhetherToPassOn) {
  std::vector<std::string> log;
  TProbeControl control;
  control.Log = &log;
  TLoggingSubClass a(&control, "a", log);
  TLoggingSubClass b(&control, "b", log);
  b.PassOn = false;
  EXPECT_EQ(Send(control, log), (Names{"b"}));
}

TEST(ControlSubClass, OutOfOrderRemovalKeepsTheLiveHandlers) {
  struct {
    const char* what;
    std::vector<int> order;  // which of a, b, c to destroy, in turn
    std::vector<Names> after;
  } cases[] = {
      {"oldest first", {0, 1, 2}, {{"c", "b", "control"}, {"c", "control"}, {"control"}}},
      {"middle first", {1, 0, 2}, {{"c", "a", "control"}, {"c", "control"}, {"control"}}},
      {"middle, newest", {1, 2, 0}, {{"c", "a", "control"}, {"a", "control"}, {"control"}}},
      {"newest first", {2, 1, 0}, {{"b", "a", "control"}, {"a", "control"}, {"control"}}},
      {"oldest, newest", {0, 2, 1}, {{"c", "b", "control"}, {"b", "control"}, {"control"}}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> log;
    TProbeControl control;
    control.Log = &log;
    const TWndMethod original = control.WindowProc;
    std::unique_ptr<TLoggingSubClass> subs[3];
    const char* names[3] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) subs[i] = std::make_unique<TLoggingSubClass>(&control, names[i], log);
    for (std::size_t step = 0; step < c.order.size(); ++step) {
      subs[c.order[step]].reset();
      EXPECT_EQ(Send(control, log), c.after[step]) << c.what << " step " << step;
    }
    EXPECT_TRUE(control.WindowProc == original) << c.what;
    // A new subclass after all that starts a fresh chain.
    TLoggingSubClass d(&control, "d", log);
    EXPECT_EQ(Send(control, log), (Names{"d", "control"})) << c.what;
  }
}

TEST(ControlSubClass, RemovalInsideADispatch) {
  std::vector<std::string> log;
  TProbeControl control;
  control.Log = &log;
  const TWndMethod original = control.WindowProc;
  auto a = std::make_unique<TLoggingSubClass>(&control, "a", log);
  auto b = std::make_unique<TLoggingSubClass>(&control, "b", log);
  // b removes itself while it handles a message, then passes it on.
  b->During = [&] { b->Sub.reset(); };
  EXPECT_EQ(Send(control, log), (Names{"b", "a", "control"}));
  EXPECT_EQ(Send(control, log), (Names{"a", "control"}));  // b is out of the chain
  b->During = nullptr;
  b.reset();
  EXPECT_EQ(Send(control, log), (Names{"a", "control"}));
  // A newer handler removes an older one during the message.
  auto c = std::make_unique<TLoggingSubClass>(&control, "c", log);
  c->During = [&] { a.reset(); };
  EXPECT_EQ(Send(control, log), (Names{"c", "control"}));
  c->During = nullptr;
  EXPECT_EQ(Send(control, log), (Names{"c", "control"}));
  // An older handler removes the newest during the message.
  auto d = std::make_unique<TLoggingSubClass>(&control, "d", log);
  c->During = [&] { d.reset(); };
  EXPECT_EQ(Send(control, log), (Names{"d", "c", "control"}));
  c->During = nullptr;
  EXPECT_EQ(Send(control, log), (Names{"c", "control"}));
  c.reset();
  EXPECT_TRUE(control.WindowProc == original);
}

TEST(ControlSubClass, AProcedureInstalledOnTopByOthersIsKept) {
  std::vector<std::string> log;
  TProbeControl control;
  control.Log = &log;
  auto a = std::make_unique<TLoggingSubClass>(&control, "a", log);
  const TWndMethod saved = control.WindowProc;
  control.WindowProc = TWndMethod([&](TMessage& m) {
    if (m.Msg == kProbe) log.push_back("other");
    saved(m);
  });
  a.reset();
  EXPECT_EQ(Send(control, log), (Names{"other", "control"}));
}
