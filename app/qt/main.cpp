// Dustvane: finds temporary files ("*.tmp") and deletes them one at a time.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>

#include "search/file_system.h"
#include "ui/app_context.h"
#include "ui/drive_list.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_message_dialog.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Dustvane"));
  QApplication::setApplicationVersion(QStringLiteral("1.00"));
  QApplication::setWindowIcon(dustvane::AppIcon());
  // The results window only hides when closed; the main window decides when
  // the program ends.
  QApplication::setQuitOnLastWindowClosed(false);

  std::unique_ptr<dustvane::FileSystem> fileSystem = dustvane::MakeNativeFileSystem();
  dustvane::QtMessageDialog messages;
  dustvane::AppContext context{*fileSystem,
                               messages,
                               dustvane::LocalDiskRoot(),
                               dustvane::ListDrives(),
                               QFile::encodeName(QDir::homePath()).toStdString(),
                               [] { QCoreApplication::quit(); },
                               QLocale().groupSeparator().toStdString()};

  dustvane::QtMainWindow mainWindow(context);
  mainWindow.show();
  return app.exec();
}
