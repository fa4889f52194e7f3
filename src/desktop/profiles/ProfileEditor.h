#pragma once

#include "common/KeyValueTable.h"
#include "profiles/ProfileStore.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace larkspan {

class Clock;
class DesktopSession;
class FilterListBox;

// The report profile editor: seven pages of controls that mirror the keys
// of a profile table, the five filter lists, and the toolbar that saves the
// profile (or the base profile) and asks the main window for a run. The
// caller loads the table, populates and shows the editor; the checks and
// files belong to the core's profile store.
class ProfileEditor : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kCaption = "Larkspan Profile Editor";
    static constexpr int kHelpTopic = 500;
    static constexpr const char* kSampleHost = "www.example.com";

    // The pages in tab order.
    enum Page { Identification, SelectWeb, TimePeriod, ReportInformation, Options, Filters, Special };

    explicit ProfileEditor(DesktopSession& session, QWidget* parent = nullptr);
    // Reads today from clock instead of the session's.
    ProfileEditor(DesktopSession& session, const Clock& clock, QWidget* parent = nullptr);
    ~ProfileEditor() override;

    // An existing profile: its name into the name field and the caption.
    void setProfileName(const std::string& name);
    // The name field as typed: the profile's name when it was saved.
    std::string profileName() const;

    // The profile table the editor writes back; rows it does not know are
    // carried along.
    KeyValueTable& table() { return table_; }

    // Sets the controls from the table and the lists from the name field's
    // files. Throws Error when `pre-date` is not an integer.
    void populateFromTable();

    profiles::ProfileListTexts listTexts() const;
    void setListTexts(const profiles::ProfileListTexts& lists);

    // Writes the profile (or, with base, the base profile) from the
    // controls; shows the page and control of a failed check. runReport
    // leaves out the success message. True on success.
    bool WriteProfile(bool base, bool runReport = false);

    // The toolbar.
    void showEditorHelp();
    void restoreDefaults();
    void closeWithoutSaving();
    void saveAndClose();
    void saveAndRun();

    // The Add buttons and the CSV folder button.
    void addAddressEntry();
    void addReferringDomainEntry();
    void addWebFilterEntry();
    void addAdvertisingEntry();
    void addAffiliateEntry();
    void chooseCsvFolder();

    // Standard dialogs, replaceable by tests: the single-line input box
    // (nothing on Cancel), the folder picker (empty on Cancel) and the modal
    // run of the filter dialogs.
    std::function<std::optional<QString>(const QString& title, const QString& prompt)> askText;
    std::function<QString(const QString& caption)> chooseFolder;
    std::function<int(QDialog& dialog)> runDialog;

    QTabWidget* pages() const { return pages_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* buildIdentificationPage();
    QWidget* buildSelectWebPage();
    QWidget* buildTimePeriodPage();
    QWidget* buildReportInformationPage();
    QWidget* buildOptionsPage();
    QWidget* buildFiltersPage();
    QWidget* buildSpecialPage();
    QWidget* buildToolbar();

    void fillWebList(bool withSettingsOnly);
    void applyDateRule();
    void pickerDateChanged();
    void updateCsvControls();
    void setPicker(QDateEdit* picker, const std::string& key, const char* message);
    void controlsIntoTable();
    std::string controlValue(const std::string& key) const;
    void addDomain(FilterListBox* list, bool advertising);
    void showFailure(const std::string& message);

    DesktopSession& session_;
    const Clock& clock_;
    KeyValueTable table_;
    // Set while the editor itself moves the pickers, so only the
    // operator's changes select the specified-range entry.
    bool movingPickers_ = false;

    QTabWidget* pages_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* url_ = nullptr;
    QLineEdit* adminEmail_ = nullptr;
    QLineEdit* consEmail_ = nullptr;
    QLineEdit* admin_ = nullptr;
    QComboBox* web_ = nullptr;
    QComboBox* preDate_ = nullptr;
    QDateEdit* start_ = nullptr;
    QDateEdit* end_ = nullptr;
    QCheckBox* page_ = nullptr;
    QCheckBox* browser_ = nullptr;
    QCheckBox* usage_ = nullptr;
    QCheckBox* referrers_ = nullptr;
    QCheckBox* demogs_ = nullptr;
    QComboBox* maxRows_ = nullptr;
    QCheckBox* genGraph_ = nullptr;
    QRadioButton* graph2d_ = nullptr;
    QRadioButton* graph3d_ = nullptr;
    QCheckBox* oadmin_ = nullptr;
    QCheckBox* oconsumer_ = nullptr;
    QCheckBox* obrowser_ = nullptr;
    QCheckBox* ocsv_ = nullptr;
    QLineEdit* csvPath_ = nullptr;
    QToolButton* csvFolder_ = nullptr;
    QCheckBox* overwrite_ = nullptr;
    QLineEdit* title_ = nullptr;
    QCheckBox* hitPage_ = nullptr;
    QCheckBox* hitDownload_ = nullptr;
    QCheckBox* hitImage_ = nullptr;
    QCheckBox* hitOther_ = nullptr;
    QCheckBox* noRobots_ = nullptr;
    QCheckBox* details_ = nullptr;
    QRadioButton* trackPages_ = nullptr;
    QRadioButton* trackSessions_ = nullptr;
    FilterListBox* ipList_ = nullptr;
    FilterListBox* refdList_ = nullptr;
    FilterListBox* subdList_ = nullptr;
    FilterListBox* addsList_ = nullptr;
    FilterListBox* affsList_ = nullptr;
};

} // namespace larkspan
