#include "app/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QShortcut>
#include <QStatusBar>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <cstring>

#include "app/shell/about_dialog.h"
#include "app/shell/app_icon.h"
#include "app/shell/controls_dialog.h"
#include "app/shell/gl_view.h"
#include "app/shell/menu_bar.h"
#include "app/shell/window_settings.h"
#include "formats/model_format.h"
#include "offscreen/png_file.h"
#include "viewer/model_status.h"
#include "viewer/recent_files.h"
#include "viewer/viewer.h"

namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

constexpr int kOuterWidth = 800;
constexpr int kOuterHeight = 600;
constexpr int kProgressSteps = 1000;

}  // namespace

MainWindow::MainWindow(ShellDialogs dialogs, std::string startupDir, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs)) {
    viewer_.startupDir = std::move(startupDir);
    setWindowTitle(QStringLiteral("Tessaview"));
    setWindowIcon(AppIcon());

    actions_ = BuildMenuBar(*menuBar());
    for (QAction* action : std::as_const(actions_)) {
        const auto id = static_cast<CommandId>(action->data().toInt());
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    }
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::SyncCheckMarks);
    // The File menu holds its items; Recent Files goes before Exit.
    if (auto* fileMenu = qobject_cast<QMenu*>(Action(CommandId::Exit)->parent())) {
        recentMenu_ = new QMenu(QStringLiteral("Recent &Files"), fileMenu);
        fileMenu->insertMenu(Action(CommandId::Exit), recentMenu_);
        connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::FillRecentMenu);
    }

    Action(CommandId::Open)->setShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_O)));
    Action(CommandId::Reload)->setShortcut(QKeySequence(Qt::Key_F5));
    Action(CommandId::SavePicture)->setShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_S)));
    Action(CommandId::Controls)->setShortcut(QKeySequence(Qt::Key_F1));
    for (const auto& [key, id] :
         {std::pair{Qt::Key_PageDown, CommandId::NextModel}, std::pair{Qt::Key_PageUp, CommandId::PreviousModel}}) {
        auto* step = new QShortcut(QKeySequence(key), this);
        connect(step, &QShortcut::activated, this, [this, id] { RunCommand(id); });
    }
    for (const Qt::Key key : {Qt::Key_Slash, Qt::Key_Question}) {
        auto* about = new QShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, key)), this);
        connect(about, &QShortcut::activated, this, [this] { RunCommand(CommandId::About); });
    }

    view_ = new GLView(viewer_, *this, this);
    setCentralWidget(view_);
    view_->setFocus();
    // Boxes and loads wait until the set-up has returned: they run event loops.
    connect(view_, &GLView::sceneReady, this, [this] { QTimer::singleShot(0, this, &MainWindow::SceneIsReady); });

    connect(&follower_, &FileFollower::changed, this, &MainWindow::ReloadShownModel);
    connect(view_, &GLView::modelChanged, this, &MainWindow::UpdateStatus);

    modelStatus_ = new QLabel(this);
    modelStatus_->setObjectName(QStringLiteral("modelStatus"));
    lastWarning_ = new QLabel(this);
    lastWarning_->setObjectName(QStringLiteral("lastWarning"));
    for (QLabel* label : {modelStatus_, lastWarning_}) label->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(modelStatus_);
    statusBar()->addWidget(lastWarning_, 1);

    // The size and place of the last run; else the outer size, frame
    // included, corrected once the frame is known.
    if (restoreGeometry(window_settings::Geometry())) {
        sizeFitted_ = true;
    } else {
        resize(kOuterWidth, kOuterHeight);
    }
    setAcceptDrops(true);
}

MainWindow::~MainWindow() { view_->Shutdown(); }

namespace {
// "*.[xX][mM][lL]": the dialog matches patterns case-sensitively.
QString CaseBlindPattern(std::string_view extension) {
    QString pattern = QStringLiteral("*.");
    for (const char c : extension) {
        const QChar lower = QChar::fromLatin1(c).toLower(), upper = QChar::fromLatin1(c).toUpper();
        pattern += lower == upper ? QString(lower) : QStringLiteral("[%1%2]").arg(lower, upper);
    }
    return pattern;
}
}  // namespace

QStringList MainWindow::FileFilters() {
    QStringList perFormat, all;
    for (const ModelFormatInfo& format : ModelFormats()) {
        if (!format.CanRead()) continue;
        QStringList patterns;
        for (const std::string_view ext : format.extensions) patterns << CaseBlindPattern(ext);
        perFormat << QStringLiteral("%1 (%2)").arg(ToQString(format.name), patterns.join(QLatin1Char(' ')));
        all << patterns;
    }
    return QStringList{QStringLiteral("Models (%1)").arg(all.join(QLatin1Char(' ')))} + perFormat +
           QStringList{QStringLiteral("All (*)")};
}

void MainWindow::RunCommand(CommandId id) {
    // The window's reload also follows the file again and reports in the title.
    if (id == CommandId::Reload) {
        ReloadShownModel();
        return;
    }
    if (id == CommandId::SavePicture) {
        SavePicture();
        return;
    }
    // Texture items upload their test image and Open the model's own: commands need the view's context.
    if (!view_->MakeCurrentIfReady() && id != CommandId::Exit && id != CommandId::About && id != CommandId::Controls)
        return;
    // A model about to open: the warnings of the one before no longer hold.
    if (id == CommandId::Open || id == CommandId::NextModel || id == CommandId::PreviousModel) SetLastWarning({});
    DoCommand(viewer_, id, *this);
    DropStaleCheckMarks();
    SyncEnabledItems();
    FollowShownModel();
    UpdateStatus();
}

void MainWindow::OpenAtStart(const std::string& path, ModelReadAhead* readAhead) {
    startModel_ = path;
    startRead_ = readAhead;
    view_->SkipDefaultModel();
}

void MainWindow::OpenFile(const std::string& path) {
    if (!view_->IsSceneReady()) {
        pendingFiles_.push_back(path);
        return;
    }
    OpenNow(path, false);
}

void MainWindow::OpenNow(const std::string& path, bool atStart) {
    if (!view_->MakeCurrentIfReady()) return;
    SetLastWarning({});
    ModelReadAhead* readAhead = atStart ? std::exchange(startRead_, nullptr) : nullptr;
    const LoadResult result = readAhead ? readAhead->Open(viewer_, *this) : OpenModel(viewer_, path, *this);
    // A model opened afresh is shown as it now is, whatever an earlier reload said.
    if (result) reloadProblem_.clear();
    // The set-up left the default model out for this one.
    if (atStart && !result) InitViewer(viewer_, *this, DefaultModel::Load);
    DropStaleCheckMarks();
    SyncEnabledItems();
    FollowShownModel();
    UpdateTitle();
    UpdateStatus();
}

void MainWindow::FollowShownModel() {
    if (!follower_.Follow(QFile::decodeName(viewer_.modelPath.c_str()))) return;
    reloadProblem_.clear();
    UpdateTitle();
}

void MainWindow::ReloadShownModel() {
    if (follower_.File().isEmpty() || reloading_) return;
    // F5 by hand also picks up a file that came back without a signal.
    follower_.Rewatch();
    if (!view_->MakeCurrentIfReady()) return;
    reloading_ = true;
    reloadProblem_.clear();
    SetLastWarning({});
    const LoadResult result = ReloadModel(viewer_, *this);
    reloading_ = false;
    if (!result) reloadProblem_ = "reload failed: " + (result.cancelled ? std::string("cancelled") : result.reason);
    if (!reloadProblem_.empty()) SetLastWarning(reloadProblem_);
    DropStaleCheckMarks();
    SyncEnabledItems();
    UpdateTitle();
    UpdateStatus();
}

void MainWindow::UpdateStatus() { modelStatus_->setText(ToQString(ModelStatusText(viewer_))); }

void MainWindow::SetLastWarning(std::string_view text) {
    // One line: a loader's reason may hold several.
    lastWarning_->setText(ToQString(text).simplified());
}

void MainWindow::UpdateTitle() {
    QString title = QStringLiteral("Tessaview");
    if (!follower_.File().isEmpty()) {
        QString name = QFileInfo(follower_.File()).fileName();
        // One line: a reason from the loader may hold several.
        if (!reloadProblem_.empty()) name += QStringLiteral(" (%1)").arg(ToQString(reloadProblem_).simplified());
        title = name + QStringLiteral(" - ") + title;
    }
    setWindowTitle(title);
}

void MainWindow::SceneIsReady() {
    SyncEnabledItems();
    UpdateStatus();
    ShowDeferredMessages();
    if (startModel_) OpenNow(*std::exchange(startModel_, std::nullopt), true);
    for (const std::string& path : std::exchange(pendingFiles_, {})) OpenFile(path);
}

void MainWindow::SyncCheckMarks() {
    for (QAction* action : std::as_const(actions_))
        if (action->isCheckable())
            action->setChecked(IsCheckedItem(viewer_, static_cast<CommandId>(action->data().toInt())));
    SyncEnabledItems();
}

void MainWindow::SyncEnabledItems() {
    // Without an own texture the item would draw with whatever texture was bound last.
    Action(CommandId::TexModelsOwn)->setEnabled(viewer_.model.HasOwnLook());
}

// A pick removes the old item's check mark at once; the new one shows when a menu opens.
void MainWindow::DropStaleCheckMarks() {
    for (QAction* action : std::as_const(actions_))
        if (action->isChecked() && !IsCheckedItem(viewer_, static_cast<CommandId>(action->data().toInt())))
            action->setChecked(false);
}

void MainWindow::ShowMessage(std::string_view text, std::string_view caption) {
    // A reload runs unasked: what it has to say goes to the title.
    if (reloading_) {
        if (reloadProblem_.empty()) reloadProblem_ = text;
        return;
    }
    if (!view_->IsSceneReady()) {
        deferredMessages_.emplace_back(text, caption);
        return;
    }
    if (dialogs_.message) {
        dialogs_.message(text, caption);
    } else {
        QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), QMessageBox::Ok, this);
        box.exec();
    }
    view_->MakeCurrentIfReady();  // the dialog's event loop may have drawn with another context
}

void MainWindow::ShowWarning(std::string_view text, std::string_view caption) {
    SetLastWarning(text);
    ShowMessage(text, caption);
}

void MainWindow::ShowDeferredMessages() {
    const auto messages = std::exchange(deferredMessages_, {});
    for (const auto& [text, caption] : messages) ShowMessage(text, caption);
}

bool MainWindow::AskYesNo(std::string_view text, std::string_view caption) {
    bool yes = false;
    if (dialogs_.askYesNo) {
        yes = dialogs_.askYesNo(text, caption);
    } else {
        QMessageBox box(QMessageBox::NoIcon, ToQString(caption), ToQString(text), QMessageBox::Yes | QMessageBox::No,
                        this);
        yes = box.exec() == QMessageBox::Yes;
    }
    view_->MakeCurrentIfReady();
    return yes;
}

std::optional<std::string> MainWindow::OpenFileDialog() {
    std::optional<std::string> path;
    if (dialogs_.openFile) {
        path = dialogs_.openFile();
    } else {
        const QString name =
            QFileDialog::getOpenFileName(this, QString(), window_settings::LastFolder(), FileFilters().join(";;"));
        if (!name.isEmpty()) path = QFile::encodeName(name).toStdString();
    }
    if (path) window_settings::SetLastFolder(QFileInfo(QFile::decodeName(path->c_str())).absolutePath());
    view_->MakeCurrentIfReady();
    return path;
}

void MainWindow::SavePicture() {
    std::optional<std::string> path;
    if (dialogs_.savePicture) {
        path = dialogs_.savePicture();
    } else {
        const QString model = viewer_.modelPath.empty()
                                  ? QStringLiteral("tessaview")
                                  : QFileInfo(QFile::decodeName(viewer_.modelPath.c_str())).completeBaseName();
        QString folder = window_settings::LastFolder();
        if (folder.isEmpty()) folder = QDir::currentPath();
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Picture"),
                                                          QDir(folder).filePath(model + QStringLiteral(".png")),
                                                          QStringLiteral("PNG pictures (*.png)"));
        if (!name.isEmpty()) path = QFile::encodeName(name).toStdString();
    }
    if (!path || !view_->MakeCurrentIfReady()) return;
    // paintGL's frame (RenderFrame) into an image of the view's size in pixels.
    const QImage frame = view_->grabFramebuffer().convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    RgbaImage image;
    image.width = frame.width();
    image.height = frame.height();
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(&image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) * 4],
                    frame.constScanLine(y), static_cast<std::size_t>(image.width) * 4);
    std::string error;
    if (!WriteOpaquePng(*path, std::move(image), error))
        ShowMessage("Could not save the picture \"" + *path + "\":\n" + error, "Error");
}

void MainWindow::ModelOpened(std::string_view path) {
    std::vector<std::string> recent = window_settings::RecentFiles();
    const QString absolute = QFileInfo(QFile::decodeName(std::string(path).c_str())).absoluteFilePath();
    AddRecentFile(recent, QFile::encodeName(absolute).toStdString());
    window_settings::SetRecentFiles(recent);
}

void MainWindow::FillRecentMenu() {
    recentMenu_->clear();
    const std::vector<std::string> recent = window_settings::RecentFiles();
    if (recent.empty()) recentMenu_->addAction(QStringLiteral("(none)"))->setEnabled(false);
    int number = 0;
    for (const std::string& path : recent) {
        QString text = QFile::decodeName(path.c_str());
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        // 1 to 9 and 0 pick an item from the keyboard.
        QAction* item = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(++number % 10).arg(text));
        connect(item, &QAction::triggered, this, [this, path] { OpenRecent(path); });
    }
}

void MainWindow::OpenRecent(const std::string& path) {
    if (!QFileInfo::exists(QFile::decodeName(path.c_str()))) {
        std::vector<std::string> recent = window_settings::RecentFiles();
        DropRecentFile(recent, path);
        window_settings::SetRecentFiles(recent);
        ShowMessage("The file \"" + path + "\" is no longer there; it is taken off the list.", "Recent Files");
        return;
    }
    OpenFile(path);
}

void MainWindow::ShowAbout() {
    AboutDialog about(this);
    about.exec();
    view_->MakeCurrentIfReady();
}

void MainWindow::ShowControls() {
    ControlsDialog controls(this);
    controls.exec();
    view_->MakeCurrentIfReady();
}

void MainWindow::Repaint() { view_->update(); }

void MainWindow::Quit() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    window_settings::SetGeometry(saveGeometry());
    view_->Shutdown();
    event->accept();
}

namespace {
// The first local file among dragged data; empty when there is none.
QString DraggedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}
}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString file = DraggedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop is over: the load may ask or report in a modal
    // box, which must not keep the drag's source waiting.
    const std::string path = QFile::encodeName(file).toStdString();
    QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!sizeFitted_) {
        sizeFitted_ = true;
        // The window manager adds its frame after the window is mapped.
        QTimer::singleShot(0, this, &MainWindow::FitOuterSize);
    }
}

void MainWindow::FitOuterSize() {
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (!frameExtra.isEmpty()) resize(kOuterWidth - frameExtra.width(), kOuterHeight - frameExtra.height());
}

void MainWindow::BeginProgress(std::string_view what, std::uint64_t total) {
    progressTotal_ = total;
    progress_ =
        std::make_unique<QProgressDialog>(QStringLiteral("Loading %1 ...").arg(QFileInfo(ToQString(what)).fileName()),
                                          QStringLiteral("Cancel"), 0, kProgressSteps, this);
    progress_->setWindowTitle(QStringLiteral("Tessaview"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(500);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setValue(0);
}

bool MainWindow::UpdateProgress(std::uint64_t done) {
    if (!progress_) return true;
    const std::uint64_t total = std::max<std::uint64_t>(progressTotal_, 1);
    const auto step = static_cast<int>(std::min(done, total) * kProgressSteps / total);
    // setValue lets the box appear after its delay and handle Cancel. Until
    // it shows (and blocks the window) no input is taken, so that no second
    // command starts in the middle of this load.
    progress_->setValue(std::min(step, kProgressSteps - 1));
    QCoreApplication::processEvents(progress_->isVisible() ? QEventLoop::AllEvents
                                                           : QEventLoop::ExcludeUserInputEvents);
    view_->MakeCurrentIfReady();
    return !progress_->wasCanceled();
}

void MainWindow::EndProgress() {
    progress_.reset();
    view_->MakeCurrentIfReady();
}
