#include "HelpViewer.h"

#include "DesktopIcons.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace larkspan {

bool DesktopHelp::showTopic(int topic)
{
    const std::string page = pages_.pageFor(topic);
    if (shell_.openDocument(page)) return true;
    return showInViewer(page);
}

bool DesktopHelp::showInViewer(const std::string& page)
{
    const QString path = QString::fromLocal8Bit(page.c_str());
    if (!QFileInfo(path).isFile()) return false;
    if (!viewer_) {
        viewer_ = new QDialog;
        viewer_->setAttribute(Qt::WA_DeleteOnClose);
        viewer_->setObjectName("HelpViewer");
        viewer_->setWindowTitle("Larkspan Help");
        viewer_->setWindowIcon(icons::help());
        browser_ = new QTextBrowser;
        browser_->setObjectName("HelpBrowser");
        browser_->setOpenExternalLinks(true);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
        QObject::connect(buttons, &QDialogButtonBox::rejected, viewer_, &QDialog::close);
        auto* back = buttons->addButton("&Back", QDialogButtonBox::ActionRole);
        QObject::connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
        auto* layout = new QVBoxLayout(viewer_);
        layout->addWidget(browser_);
        layout->addWidget(buttons);
        viewer_->resize(640, 520);
    }
    keepUsableBesideModalWindow();
    browser_->setSource(QUrl::fromLocalFile(path));
    viewer_->show();
    viewer_->raise();
    viewer_->activateWindow();
    return true;
}

void DesktopHelp::keepUsableBesideModalWindow()
{
    // A modal window blocks every window but its own children, so the help
    // window becomes a child (still a window of its own) of the modal one.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == viewer_ || viewer_->parentWidget() == modal) return;
    const QRect placed = viewer_->geometry();
    const bool wasVisible = viewer_->isVisible();
    viewer_->setParent(modal, Qt::Window);
    if (wasVisible) viewer_->setGeometry(placed);
}

} // namespace larkspan
