#include "app/shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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
#include <QTimer>

#include <algorithm>

#include "app/shell/about_dialog.h"
#include "app/shell/app_icon.h"
#include "app/shell/gl_view.h"
#include "app/shell/menu_bar.h"
#include "formats/model_format.h"
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

    Action(CommandId::Open)->setShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key_O)));
    auto* reload = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(reload, &QShortcut::activated, this, &MainWindow::ReloadShownModel);
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

    // The outer size, frame included; corrected once the frame is known.
    resize(kOuterWidth, kOuterHeight);
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
    // Texture items upload their test image and Open the model's own: commands need the view's context.
    if (!view_->MakeCurrentIfReady() && id != CommandId::Exit && id != CommandId::About) return;
    DoCommand(viewer_, id, *this);
    DropStaleCheckMarks();
    SyncEnabledItems();
    FollowShownModel();
}

void MainWindow::OpenFile(const std::string& path) {
    if (!view_->IsSceneReady()) {
        pendingFiles_.push_back(path);
        return;
    }
    if (!view_->MakeCurrentIfReady()) return;
    // A model opened afresh is shown as it now is, whatever an earlier reload said.
    if (OpenModel(viewer_, path, *this)) reloadProblem_.clear();
    DropStaleCheckMarks();
    SyncEnabledItems();
    FollowShownModel();
    UpdateTitle();
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
    const LoadResult result = ReloadModel(viewer_, *this);
    reloading_ = false;
    if (!result) reloadProblem_ = "reload failed: " + (result.cancelled ? std::string("cancelled") : result.reason);
    DropStaleCheckMarks();
    SyncEnabledItems();
    UpdateTitle();
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
    ShowDeferredMessages();
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
        const QString name = QFileDialog::getOpenFileName(this, QString(), QString(), FileFilters().join(";;"));
        if (!name.isEmpty()) path = QFile::encodeName(name).toStdString();
    }
    view_->MakeCurrentIfReady();
    return path;
}

void MainWindow::ShowAbout() {
    AboutDialog about(this);
    about.exec();
    view_->MakeCurrentIfReady();
}

void MainWindow::Repaint() { view_->update(); }

void MainWindow::Quit() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
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
