#include "ImportWindow.h"

#include "DesktopSession.h"
#include "LogFileFilter.h"
#include "import/ImportRun.h"
#include "import/SessionTracker.h"
#include "webs/FtpSettings.h"
#include "webs/WebStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace larkspan {

namespace {
QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}
} // namespace

ImportWindow::ImportWindow(DesktopSession& session, std::string web, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), session_(session), web_(std::move(web)),
      upper_(new QStackedWidget), currentFile_(new QLabel), files_(new QProgressBar), fileProgress_(new QProgressBar),
      panelText_(new QLabel(kPanelRestingText)), panelBar_(new QProgressBar),
      tracker_(new QCheckBox("Create Session Tracker Database")),
      unix_(new QCheckBox("My logs come from a Unix server")), import_(new QPushButton("Import Now")),
      cancel_(new QPushButton("Cancel Import"))
{
    setObjectName("frmImportStatus");
    setWindowTitle(qs("Importing " + web_));

    upper_->addWidget(buildProgressPage());
    upper_->addWidget(buildPanel());

    tracker_->setObjectName("cbSesTrack");
    unix_->setObjectName("cbUnix");
    unix_->hide();
    tracker_->setChecked(readBuildSessionTracker(session_.settings()));
    unix_->setChecked(readConvertUnix(session_.settings()));

    import_->setObjectName("ImportBtn");
    import_->setDefault(true);
    cancel_->setObjectName("CancelBtn");
    cancel_->setEnabled(false);
    connect(import_, &QPushButton::clicked, this, &ImportWindow::startImport);
    connect(cancel_, &QPushButton::clicked, this, &ImportWindow::cancelImport);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tracker_);
    buttons->addStretch();
    buttons->addWidget(import_);
    buttons->addWidget(cancel_);

    auto* statusBar = new QStatusBar;
    statusBar->setSizeGripEnabled(false);
    for (int part = 0; part < 2; ++part) {
        status_[part] = new QLabel;
        status_[part]->setObjectName(QString("StatusPart%1").arg(part));
        statusBar->addWidget(status_[part], part == 0 ? 3 : 2);
    }

    auto* body = new QVBoxLayout;
    body->addWidget(upper_);
    body->addWidget(unix_);
    body->addSpacing(10);
    body->addLayout(buttons);
    body->setContentsMargins(12, 12, 12, 8);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* margins = new QWidget;
    margins->setLayout(body);
    layout->addWidget(margins);
    layout->addWidget(statusBar);

    chooseFiles = [this] {
        return QFileDialog::getOpenFileNames(this, "Select Log File To Import", QString(), kLogFileFilter);
    };
    setFixedSize(480, sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

ImportWindow::~ImportWindow() = default;

// "Current file:", its text, and the "Log files imported" bar.
QWidget* ImportWindow::buildProgressPage()
{
    auto* progress = new QWidget;
    auto* currentLabel = new QLabel("Current file:");
    currentFile_->setObjectName("CurrentFile");
    currentFile_->setTextFormat(Qt::PlainText);
    currentFile_->setWordWrap(true);
    currentFile_->setMinimumHeight(currentFile_->fontMetrics().lineSpacing() * 2);
    currentFile_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    files_->setObjectName("FilesBar");
    files_->setRange(0, 1);
    files_->setValue(0);
    fileProgress_->setObjectName("FileProgress");
    fileProgress_->hide();
    auto* progressLayout = new QVBoxLayout(progress);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->addWidget(currentLabel);
    progressLayout->addWidget(currentFile_);
    progressLayout->addSpacing(6);
    progressLayout->addWidget(new QLabel("Log files imported"));
    progressLayout->addWidget(files_);
    progressLayout->addWidget(fileProgress_);
    progressLayout->addStretch();
    return progress;
}

// The information panel shown over the progress page.
QWidget* ImportWindow::buildPanel()
{
    auto* panel = new QFrame;
    panel->setObjectName("InfoPanel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panelText_->setObjectName("PanelText");
    panelText_->setAlignment(Qt::AlignCenter);
    panelText_->setWordWrap(true);
    panelBar_->setObjectName("PanelBar");
    panelBar_->setRange(0, 100);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addStretch();
    panelLayout->addWidget(panelText_);
    panelLayout->addWidget(panelBar_);
    panelLayout->addStretch();
    return panel;
}

bool ImportWindow::execute()
{
    return exec() == QDialog::Accepted;
}

void ImportWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // An unattended import starts by itself once the window is up.
    if (session_.unattended() && !started_) {
        started_ = true;
        QTimer::singleShot(0, this, &ImportWindow::startImport);
    }
}

void ImportWindow::startImport()
{
    if (running_) return;
    if (finished_) {
        done(userCancelled_ ? QDialog::Rejected : QDialog::Accepted);
        return;
    }
    runImport();
}

void ImportWindow::runImport()
{
    userCancelled_ = false;
    import_->setText("Close");
    cancel_->setEnabled(true);
    import_->setEnabled(false);
    running_ = true;
    finished_ = true;

    WebStore webs(session_.settings(), session_.folder().home());
    NoSessionTracker tracker;
    ImportOptions options;
    options.buildSessionTracker = tracker_->isChecked();
    options.temporaryFolder = session_.folder().temporary();
    options.pumpInterval = pumpInterval;
    options.chooseFiles = [this]() -> std::string {
        QStringList chosen;
        for (const QString& file : chooseFiles())
            chosen << (file.contains(' ') ? '"' + file + '"' : file);
        return chosen.join(',').toLocal8Bit().toStdString();
    };
    ImportRun run(session_.platform(), webs, *this, tracker, options);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ImportOutcome outcome = importWeb(run, session_.platform(), web_);
    outcome_ = outcome;
    QApplication::restoreOverrideCursor();
    unix_->setChecked(run.unixBox());
    running_ = false;

    import_->setEnabled(true);
    cancel_->setEnabled(false);
    currentFile_->clear();
    hidePanel();
    if (outcome != ImportOutcome::Completed) {
        done(QDialog::Rejected);
        return;
    }
    if (session_.unattended()) done(QDialog::Accepted);
}

void ImportWindow::cancelImport()
{
    userCancelled_ = true;
    session_.platform().cancel.request();
}

void ImportWindow::done(int result)
{
    // Closing the window while the run goes on asks it to stop first.
    if (running_) {
        cancelImport();
        return;
    }
    writeBuildSessionTracker(session_.settings(), tracker_->isChecked());
    writeConvertUnix(session_.settings(), unix_->isChecked());
    QDialog::done(result);
}

void ImportWindow::refresh(const ImportStatus& status)
{
    if (!status.caption.empty()) setWindowTitle(qs(status.caption));
    currentFile_->setText(qs(status.currentFile));
    status_[0]->setText(qs(status.fileStatus));
    status_[1]->setText(status.currentFile.empty() && status.fileStatus.empty() ? QString() : qs(status.recordStatus));
    const long long total = std::max<long long>(1, status.filesTotal);
    files_->setRange(0, static_cast<int>(std::min<long long>(total, 1 << 30)));
    files_->setValue(static_cast<int>(std::min<long long>(std::max<long long>(0, status.filesDone), total)));
}

void ImportWindow::showPanel(const std::string& text, int percent)
{
    panelText_->setText(qs(text));
    panelBar_->setValue(std::clamp(percent, 0, 100));
    upper_->setCurrentIndex(1);
}

void ImportWindow::hidePanel()
{
    panelText_->setText(kPanelRestingText);
    panelBar_->setValue(0);
    upper_->setCurrentIndex(0);
}

bool ImportWindow::panelShown() const
{
    return upper_->currentIndex() == 1;
}

QString ImportWindow::statusText(int part) const
{
    return status_[part]->text();
}

} // namespace larkspan
