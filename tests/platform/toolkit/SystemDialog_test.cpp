// The system's message box without a test driver, as the programs run it:
// owned by the window that is modal at that moment, its own loop (no idle
// processing, other windows take no input), the answer of the button the
// user chose, and an end when the application is told to end.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

#include "platform/toolkit/Forms.h"
#include "platform/win/Window.h"

namespace {

QMessageBox* OpenBox() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  return nullptr;
}

class TSystemDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    App = std::make_unique<TApplication>();
    App->SetTitle("Brask Engine");
    App->CreateForm(Main);
    Main->SetBounds(10, 20, 200, 100);
    App->OnIdle = [this](TObject*, bool& Done) {
      ++Idles;
      Done = false;
    };
    Main->Show();
  }
  void TearDown() override { App.reset(); }

  // Runs What on the box once it is up (from inside its loop).
  void WhenTheBoxIsUp(std::function<void(QMessageBox*)> What) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, What] {
      if (QMessageBox* box = OpenBox()) {
        poll->stop();
        poll->deleteLater();
        What(box);
      }
    });
    poll->start(5);
  }

  std::unique_ptr<TApplication> App;
  TForm* Main = nullptr;
  long Idles = 0;
};

}  // namespace

TEST_F(TSystemDialogs, TheBoxRunsItsOwnLoopAndAnswersTheButtonChosen) {
  long idlesWhileUp = -1;
  bool blocked = false, ownedByMain = false;
  WhenTheBoxIsUp([&](QMessageBox* Box) {
    const long before = Idles;
    QCoreApplication::processEvents();
    idlesWhileUp = Idles - before;
    blocked = App->InSystemModalLoop() && App->InputBlocked(Main);
    ownedByMain = Box->parentWidget() == Main->Widget() && Box->windowModality() == Qt::NonModal;
    Box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(App->MessageBox("Czy na pewno?", "Korvel", MB_YESNO), IDYES);
  EXPECT_EQ(idlesWhileUp, 0);
  EXPECT_TRUE(blocked);
  EXPECT_TRUE(ownedByMain);
  EXPECT_FALSE(App->InSystemModalLoop());
  EXPECT_FALSE(App->InputBlocked(Main));
}

TEST_F(TSystemDialogs, ClosedWithoutAChoiceOrByTheEndOfTheProgramTheBoxGivesItsDefault) {
  WhenTheBoxIsUp([](QMessageBox* Box) { Box->close(); });
  EXPECT_EQ(App->MessageBox("Zła nazwa pliku!", "Brask Engine", MB_OK), IDOK);
  WhenTheBoxIsUp([this](QMessageBox*) { App->Terminate(); });
  EXPECT_EQ(App->MessageBox("Czy na pewno?", "Korvel", MB_YESNO), IDNO);
  EXPECT_EQ(OpenBox(), nullptr);
}

TEST_F(TSystemDialogs, TheBoxIsOwnedByTheModalForm) {
  TForm* dialog = nullptr;
  App->CreateForm(dialog);
  QWidget* owner = nullptr;
  dialog->OnShow = [&](TObject*) {
    WhenTheBoxIsUp([&](QMessageBox* Box) {
      owner = Box->parentWidget();
      Box->button(QMessageBox::Ok)->click();
    });
    QTimer::singleShot(0, [&] {
      App->MessageBox("Zła nazwa pliku!", "Brask Engine", MB_OK);
      dialog->SetModalResult(mrCancel);
    });
  };
  dialog->ShowModal();
  EXPECT_EQ(owner, dialog->Widget());
}
