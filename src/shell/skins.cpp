#include "shell/skins.h"

#include <QColor>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

namespace sondrel {

QString skinName(int number) {
  static constexpr const char* kNames[] = {"beijing", "darkglass", "macos2", "pulsar", "tv-b", "vista"};
  return kNames[number >= 0 && number <= 5 ? number : 0];
}

QString rotateHues(const QString& sheet, int hueDegrees) {
  if (hueDegrees % 360 == 0) return sheet;
  static const QRegularExpression colour("#([0-9a-fA-F]{6})\\b");
  QString out;
  qsizetype last = 0;
  for (auto it = colour.globalMatch(sheet); it.hasNext();) {
    const auto m = it.next();
    out += sheet.mid(last, m.capturedStart() - last);
    QColor c(m.captured(0));
    int h, s, v;
    c.getHsv(&h, &s, &v);
    if (h >= 0) c.setHsv(((h + hueDegrees) % 360 + 360) % 360, s, v);
    out += c.name();
    last = m.capturedEnd();
  }
  out += sheet.mid(last);
  return out;
}

QString loadSkin(const std::string& skinFolder, const QString& name, int hueDegrees) {
  QFile file(QString::fromStdString(skinFolder) + "/" + name + ".qss");
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  return rotateHues(QString::fromUtf8(file.readAll()), hueDegrees);
}

int readSkinNumber(const std::string& iniPath, int fallback) {
  QFile file(QString::fromStdString(iniPath));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return fallback;
  // Profile files: names match in any letter case; the first key wins.
  bool inMisc = false;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine(1 << 16)).trimmed();
    if (line.startsWith('[')) {
      inMisc = line.compare("[misc]", Qt::CaseInsensitive) == 0;
      continue;
    }
    const qsizetype eq = line.indexOf('=');
    if (!inMisc || eq < 0 || line.left(eq).trimmed().compare("skin", Qt::CaseInsensitive) != 0) continue;
    bool ok = false;
    const int value = line.mid(eq + 1).trimmed().toInt(&ok);
    return ok ? value : fallback;
  }
  return fallback;
}

}  // namespace sondrel
