#include "app/shell/window_settings.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

namespace window_settings {
namespace {

// Named here, not by the application's name, so that tests and the
// program share one file.
QSettings Store() { return QSettings(QStringLiteral("tessaview"), QStringLiteral("tessaview")); }

constexpr auto kRecentFiles = "recentFiles";
constexpr auto kLastFolder = "openDialog/lastFolder";
constexpr auto kGeometry = "window/geometry";

}  // namespace

std::vector<std::string> RecentFiles() {
    std::vector<std::string> files;
    for (const QString& file : Store().value(kRecentFiles).toStringList())
        files.push_back(QFile::encodeName(file).toStdString());
    return files;
}

void SetRecentFiles(const std::vector<std::string>& files) {
    QStringList list;
    for (const std::string& file : files) list << QFile::decodeName(file.c_str());
    Store().setValue(kRecentFiles, list);
}

QString LastFolder() { return Store().value(kLastFolder).toString(); }
void SetLastFolder(const QString& folder) { Store().setValue(kLastFolder, folder); }

QByteArray Geometry() { return Store().value(kGeometry).toByteArray(); }
void SetGeometry(const QByteArray& geometry) { Store().setValue(kGeometry, geometry); }

}  // namespace window_settings
