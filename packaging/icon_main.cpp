// tikhomap-icon DIR SIZE...: writes DIR/SIZE/tikhomap.png for every size,
// drawn by the program's own icon routine (for the installed icon theme).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "app/app_pictures.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: tikhomap-icon DIR SIZE...\n");
    return 2;
  }
  for (int i = 2; i < args.size(); ++i) {
    bool ok = false;
    const int size = args[i].toInt(&ok);
    if (!ok || size < 1 || size > 4096) {
      std::fprintf(stderr, "tikhomap-icon: bad size %s\n", qPrintable(args[i]));
      return 2;
    }
    const QString dir = args[1] + QLatin1Char('/') + QString::number(size);
    if (!QDir().mkpath(dir) ||
        !tikhomap::programIconImage(size).save(dir + QStringLiteral("/tikhomap.png"))) {
      std::fprintf(stderr, "tikhomap-icon: cannot write %s\n", qPrintable(dir));
      return 1;
    }
  }
  return 0;
}
