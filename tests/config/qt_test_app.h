#pragma once
// The one application object of a Qt test program, on the offscreen platform unless the run
// names another, and waits that poll the event loop up to a deadline.
#include <QApplication>
#include <chrono>
#include <functional>

namespace kytest {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never destroyed: at exit Qt's own globals may be gone before a static object's destructor
  // runs.
  static QApplication* const app = new QApplication(argc, argv);
  return *app;
}

// Runs the event loop until done() holds or the deadline passes; returns done().
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline = std::chrono::seconds(10)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done() && std::chrono::steady_clock::now() < end) QApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

}  // namespace kytest
