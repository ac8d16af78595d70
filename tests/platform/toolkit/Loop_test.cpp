// The message loop as it runs for a user: no test driver, so the loop waits
// for the next event whenever the idle slot leaves Done set.
#include <gtest/gtest.h>

#include <QTimer>
#include <string>
#include <vector>

#include "platform/toolkit/Forms.h"

TEST(Loop, WaitsForEventsAndEndsModalLoopsAndRunWhenTheyAreDone) {
  TApplication app;
  TForm* main = nullptr;
  TForm* dialog = nullptr;
  app.CreateForm(main);
  app.CreateForm(dialog);
  bool failed = false;
  // Only a guard against hanging: the steps below finish without any wait.
  // It ends with the test, so it never fires into a later one.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    failed = true;
    app.Terminate();
  });
  guard.start(10000);
  std::vector<std::string> log;
  int idles = 0, idlesInDialog = 0;
  app.OnIdle = [&](TObject*, bool&) {
    ++idles;
    if (dialog->Visible()) ++idlesInDialog;
  };
  TModalResult result = mrNone;
  bool started = false;
  main->OnActivate = [&](TObject*) {
    if (started) return;
    started = true;
    // An event of the dialog's loop closes it; the loop must not wait on.
    QTimer::singleShot(0, [&] {
      log.push_back("close dialog");
      dialog->SetModalResult(mrOk);
    });
    result = dialog->ShowModal();
    log.push_back("dialog closed");
    QTimer::singleShot(0, [&] {
      log.push_back("close main");
      main->Close();
    });
  };
  app.Run();
  EXPECT_FALSE(failed);
  EXPECT_EQ(result, mrOk);
  EXPECT_GE(idlesInDialog, 1);
  EXPECT_GE(idles, idlesInDialog);
  EXPECT_EQ(log, (std::vector<std::string>{"close dialog", "dialog closed", "close main"}));
  EXPECT_TRUE(app.Terminated());
}
