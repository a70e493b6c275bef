// The main window: menu bar, accelerators and the GL view, and the
// toolkit's side of ViewerShell (message boxes, the open-file dialog,
// progress, repaint and quit). It follows the file of the shown model:
// its title names it, and a change on disk reloads it.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/shell/file_follower.h"
#include "viewer/command_ids.h"
#include "viewer/open_model.h"
#include "viewer/viewer_shell.h"
#include "viewer/viewer_state.h"

class GLView;
class QAction;
class QLabel;
class QMenu;
class QProgressDialog;

// The modal dialogs the window runs. Each one left empty uses the toolkit's
// dialog; tests put scripted answers in their place.
struct ShellDialogs {
    std::function<std::optional<std::string>()> openFile;
    std::function<void(std::string_view text, std::string_view caption)> message;
    std::function<bool(std::string_view text, std::string_view caption)> askYesNo;
    // Where File > Save Picture writes; nothing when cancelled.
    std::function<std::optional<std::string>()> savePicture;
};

class MainWindow : public QMainWindow, public ViewerShell {
    Q_OBJECT
public:
    // startupDir: where the viewer finds its assets; empty for the current directory.
    explicit MainWindow(ShellDialogs dialogs = {}, std::string startupDir = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    GLView& View() { return *view_; }
    // The viewer the window drives (tests read and set it as a user would see it).
    Viewer& ViewerState() { return viewer_; }
    // The action of a command id (nullptr for an unknown id).
    QAction* Action(CommandId id) const { return actions_.value(static_cast<int>(id)); }
    // Runs a command as a menu pick does, with the GL context current.
    void RunCommand(CommandId id);
    // Opens a model as File > Open does after its dialog (for a model named
    // on the command line or dropped on the window). Before the scene is set
    // up the file waits for it.
    void OpenFile(const std::string& path);
    // The model named on the command line, before the window is shown: the
    // scene set-up skips the default model, and the model is opened once the
    // scene is ready, from readAhead when given (a read begun before the
    // toolkit started). If it can't be opened, the default model is shown.
    void OpenAtStart(const std::string& path, ModelReadAhead* readAhead);
    // Reads the shown model's file again (F5, and soon after it changed on
    // disk). A failure keeps the shown model and shows why in the title.
    void ReloadShownModel();

    // ViewerShell
    void ShowMessage(std::string_view text, std::string_view caption) override;
    // Shown in its box as any message, and kept in the status bar as the last warning.
    void ShowWarning(std::string_view text, std::string_view caption) override;
    bool AskYesNo(std::string_view text, std::string_view caption) override;
    // Starts in the folder of the file picked last, in this run or an earlier one.
    std::optional<std::string> OpenFileDialog() override;
    // The file goes to the front of File > Recent Files, which later runs keep.
    void ModelOpened(std::string_view path) override;
    void ShowAbout() override;
    void ShowControls() override;
    void Repaint() override;
    void Quit() override;
    void BeginProgress(std::string_view what, std::uint64_t total) override;
    bool UpdateProgress(std::uint64_t done) override;
    void EndProgress() override;

    // The open-file dialog's filters; each lists files whatever the case of their extension.
    static QStringList FileFilters();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A local file dropped on the window is opened with OpenFile.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void SyncCheckMarks();
    // Items that make sense only for some models: Model's Own needs a texture of the model's own.
    void SyncEnabledItems();
    void DropStaleCheckMarks();
    void ShowDeferredMessages();
    void SceneIsReady();
    void FitOuterSize();
    void FollowShownModel();
    void UpdateTitle();
    // The status bar: the shown model's account and the last warning.
    void UpdateStatus();
    // File > Save Picture: a PNG of the view at its size, drawn by the frame
    // that --snapshot draws and written as it writes.
    void SavePicture();
    // File > Recent Files, filled as it opens; a file that is gone is
    // dropped when picked, with a message.
    void FillRecentMenu();
    void OpenRecent(const std::string& path);
    void SetLastWarning(std::string_view text);

    ShellDialogs dialogs_;
    Viewer viewer_;
    GLView* view_ = nullptr;
    // Keyed by the command id's number, which is also each action's data.
    QHash<int, QAction*> actions_;
    std::unique_ptr<QProgressDialog> progress_;
    std::uint64_t progressTotal_ = 0;
    // Messages from the scene set-up wait until it has finished.
    std::vector<std::pair<std::string, std::string>> deferredMessages_;
    // Opens path now (the scene is ready); atStart: the model named at the start.
    void OpenNow(const std::string& path, bool atStart);
    std::vector<std::string> pendingFiles_;
    std::optional<std::string> startModel_;
    ModelReadAhead* startRead_ = nullptr;
    bool sizeFitted_ = false;

    // Follows the shown model's file (none for the default model).
    FileFollower follower_;
    bool reloading_ = false;
    // What the last reload could not do; shown in the title, not in a box.
    std::string reloadProblem_;
    QLabel* modelStatus_ = nullptr;
    QLabel* lastWarning_ = nullptr;
    QMenu* recentMenu_ = nullptr;
};
