#include "WebPropertiesEditor.h"

#include "DesktopIcons.h"
#include "DesktopSession.h"
#include "LogFileFilter.h"
#include "common/Text.h"
#include "webs/FtpSettings.h"
#include "webs/WebFileList.h"
#include "webs/WebSaver.h"
#include "webs/WebStore.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace larkspan {

namespace {

// Window colour for a field that can be typed in, button face for one that
// cannot (disabled or read-only), so the difference shows at a glance.
void paintAsEditable(QLineEdit& field, bool editable)
{
    QPalette palette = field.palette();
    palette.setColor(QPalette::Base, QPalette().color(editable ? QPalette::Base : QPalette::Button));
    field.setPalette(palette);
}

// Gives the label columns of several forms one width, so that their fields
// line up below each other.
void alignLabelColumns(std::initializer_list<QFormLayout*> forms)
{
    int widest = 0;
    std::vector<QWidget*> labels;
    for (QFormLayout* form : forms) {
        for (int row = 0; row < form->rowCount(); ++row) {
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole); item && item->widget()) {
                labels.push_back(item->widget());
                widest = std::max(widest, item->widget()->sizeHint().width());
            }
        }
    }
    for (QWidget* label : labels)
        label->setMinimumWidth(widest);
}

QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}
std::string ss(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QLineEdit* field(const char* name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

// A chosen file in the path field: in double quotes when it holds a blank.
QString quotedIfBlank(const QString& path)
{
    return path.contains(' ') ? '"' + path + '"' : path;
}

} // namespace

WebPropertiesEditor::WebPropertiesEditor(DesktopSession& session, WebStore& webs, QWidget* parent)
    : QDialog(parent), session_(session), webs_(webs), pages_(new QTabWidget)
{
    setObjectName("webPropertiesEditor");
    setWindowTitle(kCaption);
    pages_->setObjectName("PageControl1");
    pages_->addTab(buildPropertiesPage(), "Web Properties");
    pages_->addTab(buildFtpPage(), "FTP Settings");

    auto* help = new QPushButton("&Help");
    help->setObjectName("HelpBtn");
    help->setToolTip("Help on Web Properties");
    auto* saveButton = new QPushButton("&Save");
    saveButton->setObjectName("SaveBtn");
    saveButton->setToolTip("Save the Web settings");
    saveButton->setDefault(true);
    auto* cancel = new QPushButton("&Cancel");
    cancel->setObjectName("CancelBtn");
    cancel->setToolTip("Cancel without saving changes");
    connect(help, &QPushButton::clicked, this, [this] { session_.platform().help.showTopic(kHelpTopic); });
    connect(saveButton, &QPushButton::clicked, this, &WebPropertiesEditor::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addLayout(buttons);

    chooseFiles = [this](const QString& startFolder) {
        return QFileDialog::getOpenFileNames(this, "Select Log File To Import", startFolder, kLogFileFilter);
    };
    importTypeChanged();
    name_->setFocus();
    resize(520, sizeHint().height());
    setMinimumWidth(460);
}

QWidget* WebPropertiesEditor::buildPropertiesPage()
{
    auto* page = new QWidget;
    name_ = field("WebName");
    name_->setMaxLength(8);
    auto* nameLabel = new QLabel("&Name of Web Log (8 characters max.):");
    nameLabel->setBuddy(name_);

    auto* type = new QGroupBox(" &Log file import type ");
    type->setObjectName("ImportType");
    type->setToolTip("Select the log file import type");
    local_ = new QRadioButton("Local");
    local_->setObjectName("TypeLocal");
    ftp_ = new QRadioButton("FTP");
    ftp_->setObjectName("TypeFtp");
    local_->setChecked(true);
    auto* typeLayout = new QHBoxLayout(type);
    typeLayout->addWidget(local_);
    typeLayout->addWidget(ftp_);
    typeLayout->addStretch();
    connect(local_, &QRadioButton::toggled, this, &WebPropertiesEditor::importTypeChanged);

    path_ = field("FilePath");
    path_->setToolTip("Select the browse button to the right to add files");
    pathLabel_ = new QLabel("&Filepath:");
    pathLabel_->setBuddy(path_);
    browse_ = new QToolButton;
    browse_->setObjectName("BrowseBtn");
    browse_->setIcon(icons::folder());
    browse_->setToolTip("Browse for files");
    connect(browse_, &QToolButton::clicked, this, &WebPropertiesEditor::browse);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse_);
    auto* maskNote = new QLabel("Specify a file mask in Filepath. (Example: /var/log/apache2/access*.log)");
    maskNote->setObjectName("MaskNote");
    newFilesOnly_ = new QCheckBox("Get new files only");
    newFilesOnly_->setObjectName("NewFilesOnly");
    newFilesOnly_->setToolTip(
        "Get files that match file mask and have a different name or size than files previously imported");

    url_ = field("ServerUrl");
    auto* urlLabel = new QLabel("Server &URL:");
    urlLabel->setBuddy(url_);
    auto* urlNote = new QLabel("Enter the URL of the server (for example www.example.com)");

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(nameLabel);
    layout->addWidget(name_);
    layout->addSpacing(6);
    layout->addWidget(type);
    layout->addSpacing(6);
    layout->addWidget(pathLabel_);
    layout->addLayout(pathRow);
    layout->addWidget(maskNote);
    layout->addWidget(newFilesOnly_);
    layout->addSpacing(6);
    layout->addWidget(urlLabel);
    layout->addWidget(url_);
    layout->addWidget(urlNote);
    layout->addStretch();
    return page;
}

QWidget* WebPropertiesEditor::buildFtpPage()
{
    auto* page = new QWidget;
    ftpServer_ = field("FtpServer");
    ftpProxy_ = field("FtpProxy");
    ftpUser_ = field("FtpUser");
    ftpPassword_ = field("FtpPassword");
    ftpPassword_->setEchoMode(QLineEdit::Password);
    ftpDirectory_ = field("FtpDirectory");
    ftpMask_ = field("FtpMask");
    ftpNewFilesOnly_ = new QCheckBox("Get new files only");
    ftpNewFilesOnly_->setObjectName("FtpNewFilesOnly");
    ftpNewFilesOnly_->setChecked(true);
    ftpDelete_ = new QCheckBox("Delete Files from FTP Server");
    ftpDelete_->setObjectName("FtpDelete");

    auto* server = new QGroupBox(" Server && User Information ");
    auto* serverForm = new QFormLayout(server);
    serverForm->addRow("FTP Server Address:", ftpServer_);
    serverForm->addRow("Proxy Server Address:", ftpProxy_);
    serverForm->addRow("Username:", ftpUser_);
    serverForm->addRow("Password:", ftpPassword_);
    auto* logs = new QGroupBox(" Log File Information ");
    auto* logForm = new QFormLayout(logs);
    logForm->addRow("Directory on Server:", ftpDirectory_);
    logForm->addRow("File Pattern Mask:", ftpMask_);
    logForm->addRow(ftpNewFilesOnly_);
    logForm->addRow(ftpDelete_);
    alignLabelColumns({serverForm, logForm});

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(server);
    layout->addWidget(logs);
    layout->addStretch();
    return page;
}

bool WebPropertiesEditor::ftpPageShown() const
{
    return pages_->isTabVisible(1);
}

void WebPropertiesEditor::importTypeChanged()
{
    const bool local = local_->isChecked();
    pages_->setTabVisible(1, !local);
    for (QWidget* control : std::initializer_list<QWidget*>{path_, browse_, newFilesOnly_, pathLabel_}) {
        control->setEnabled(local);
    }
    paintAsEditable(*path_, local);
}

bool WebPropertiesEditor::loadWeb(const std::string& name)
{
    creating_ = false;
    openedName_ = name;
    name_->setText(qs(name));
    name_->setReadOnly(true);
    name_->setToolTip("The name of an existing web cannot be changed");
    paintAsEditable(*name_, false);
    ImportType type = ImportType::Local;
    if (const auto settings = webs_.readSettings(name)) {
        name_->setText(qs(settings->name));
        type = settings->importType;
        url_->setText(qs(settings->serverUrl));
        newFilesOnly_->setChecked(settings->newFilesOnly);
    }
    path_->clear();
    (type == ImportType::Ftp ? ftp_ : local_)->setChecked(true);

    FtpSettings ftp;
    const bool ftpRead = readFtpSettings(webs_.settings(), session_.messages(), name, ftp);
    if (!ftpRead && type == ImportType::Ftp) {
        session_.messages().show(MessageKind::Error,
                                 "The Web Properties could not be loaded.\nError reading registry entries.");
        return false;
    }
    ftpServer_->setText(qs(ftp.server));
    ftpProxy_->setText(qs(ftp.proxy));
    ftpUser_->setText(qs(ftp.user));
    ftpPassword_->setText(qs(ftp.password));
    ftpDirectory_->setText(qs(ftp.startDirectory));
    ftpMask_->setText(qs(ftp.fileMask));
    ftpNewFilesOnly_->setChecked(ftp.newFilesOnly);
    ftpDelete_->setChecked(ftp.deleteAfterDownload);

    if (type != ImportType::Ftp) {
        try {
            path_->setText(qs(pathFieldText(webs_.readFileList(name))));
        } catch (const std::exception& e) {
            session_.messages().show(MessageKind::Error,
                                     std::string("The Web Properties could not be loaded.\n") + e.what());
            return false;
        }
    }
    importTypeChanged();
    pages_->setCurrentIndex(0);
    (type == ImportType::Ftp ? url_ : path_)->setFocus();
    return true;
}

std::string WebPropertiesEditor::webName() const
{
    return text::trim(ss(name_->text()));
}

void WebPropertiesEditor::browse()
{
    // The dialog starts in the folder of the field's first entry.
    std::string first = ss(path_->text());
    first = text::replaceAll(first.substr(0, first.find(',')), "\"", "");
    const QString start = qs(folderPart(text::trim(first)));
    const QStringList chosen = chooseFiles(start);
    if (chosen.isEmpty()) return;
    QStringList entries;
    for (const QString& file : chosen)
        entries << quotedIfBlank(file);
    path_->setText(entries.join(','));
}

void WebPropertiesEditor::save()
{
    WebDraft draft;
    draft.name = ss(name_->text());
    draft.importType = ftp_->isChecked() ? ImportType::Ftp : ImportType::Local;
    draft.pathField = ss(path_->text());
    draft.serverUrl = ss(url_->text());
    draft.newFilesOnly = newFilesOnly_->isChecked();
    draft.ftp.server = ss(ftpServer_->text());
    draft.ftp.user = ss(ftpUser_->text());
    draft.ftp.password = ss(ftpPassword_->text());
    draft.ftp.proxy = ss(ftpProxy_->text());
    draft.ftp.startDirectory = ss(ftpDirectory_->text());
    draft.ftp.fileMask = ss(ftpMask_->text());
    draft.ftp.newFilesOnly = ftpNewFilesOnly_->isChecked();
    draft.ftp.deleteAfterDownload = ftpDelete_->isChecked();
    bool saved = false;
    try {
        saved = saveWeb(webs_, session_.messages(), draft, creating_);
    } catch (const std::exception& e) {
        session_.messages().show(MessageKind::Error, std::string("The Web Log could not be saved.\n") + e.what());
        return;
    }
    if (saved) {
        accept();
        return;
    }
    // Point at what was missing.
    if (draft.importType == ImportType::Ftp && !text::trim(draft.name).empty()) {
        for (QLineEdit* required : {ftpServer_, ftpUser_, ftpPassword_, ftpDirectory_, ftpMask_}) {
            if (required->text().trimmed().isEmpty()) {
                pages_->setCurrentIndex(1);
                required->setFocus();
                break;
            }
        }
    } else if (draft.importType == ImportType::Local && text::trim(draft.pathField).empty()) {
        pages_->setCurrentIndex(0);
        path_->setFocus();
    }
}

} // namespace larkspan
