#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace larkspan {

class DesktopSession;
class WebStore;

// The web property editor: one web's name, where its logs come from (local
// files or an FTP folder) and the related options. It presents and checks;
// the core's web store saves.
class WebPropertiesEditor : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Web Property Editor";
    static constexpr int kHelpTopic = 1492;

    WebPropertiesEditor(DesktopSession& session, WebStore& webs, QWidget* parent = nullptr);

    // Prepares the editor for a web that exists: name read-only, values
    // from its settings file, FTP values and file list. False (after the
    // message) when the web cannot be loaded; the editor is then not shown.
    bool loadWeb(const std::string& name);

    // The name the web has (as typed, trimmed) for the caller to select it.
    std::string webName() const;
    bool creating() const { return creating_; }

    // The multi-file dialog; tests put a chooser of their own here.
    std::function<QStringList(const QString& startFolder)> chooseFiles;

    // Control access for tests and screenshots.
    QLineEdit* nameField() const { return name_; }
    QLineEdit* pathField() const { return path_; }
    QLineEdit* urlField() const { return url_; }
    QRadioButton* localChoice() const { return local_; }
    QRadioButton* ftpChoice() const { return ftp_; }
    QTabWidget* pages() const { return pages_; }
    bool ftpPageShown() const;

    void save();
    void browse();

  private:
    QWidget* buildPropertiesPage();
    QWidget* buildFtpPage();
    void importTypeChanged();

    DesktopSession& session_;
    WebStore& webs_;
    bool creating_ = true;
    std::string openedName_;

    QTabWidget* pages_;
    QLineEdit* name_;
    QRadioButton* local_;
    QRadioButton* ftp_;
    QLabel* pathLabel_;
    QLineEdit* path_;
    QToolButton* browse_;
    QCheckBox* newFilesOnly_;
    QLineEdit* url_;
    QLineEdit* ftpServer_;
    QLineEdit* ftpProxy_;
    QLineEdit* ftpUser_;
    QLineEdit* ftpPassword_;
    QLineEdit* ftpDirectory_;
    QLineEdit* ftpMask_;
    QCheckBox* ftpNewFilesOnly_;
    QCheckBox* ftpDelete_;
    QCheckBox* ftpTls_;
};

} // namespace larkspan
