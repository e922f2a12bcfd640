// sondrel: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "audio/engine.h"
#include "shell/main_window.h"
#include "shell/splash_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Sondrel");
  QApplication::setApplicationDisplayName("Sondrel");

  // The program was built against certain major versions of the decoding
  // libraries; another one loaded at run time is refused.
  const std::string mismatch = sondrel::audio::Engine::mismatchedLibrary();
  if (!mismatch.empty()) {
    QMessageBox::critical(nullptr, QString(), QString::fromStdString("An incorrect version of " + mismatch + " was loaded"));
    return 1;
  }
  sondrel::audio::Engine engine;
  if (engine.initOutput() == sondrel::audio::OutputState::Failed) {
    QMessageBox::critical(nullptr, "Sondrel", "Cannot start default Playback device!", QMessageBox::Ok);
    return 1;
  }

  sondrel::Tfrmsplash splash;
  splash.show();
  splash.repaint();
  QApplication::processEvents();

  QStringList files = QApplication::arguments();
  files.removeFirst();
  sondrel::Tfrmmain main(engine, files, &splash);
  main.show();
  return QApplication::exec();
}
