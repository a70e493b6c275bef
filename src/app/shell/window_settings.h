// What the window remembers between runs, in the user's settings
// ($XDG_CONFIG_HOME/tessaview/tessaview.conf): the recent files, the Open
// dialog's last folder and the window's size and place. The options are not
// remembered: every run starts in the same state.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace window_settings {

std::vector<std::string> RecentFiles();
void SetRecentFiles(const std::vector<std::string>& files);
// Empty when no file was picked yet.
QString LastFolder();
void SetLastFolder(const QString& folder);
// QWidget::saveGeometry's bytes; empty when none were saved.
QByteArray Geometry();
void SetGeometry(const QByteArray& geometry);

}  // namespace window_settings
