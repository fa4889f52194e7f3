#include "profiles/ProfileEditor.h"

#include "DesktopSession.h"
#include "common/Dates.h"
#include "common/Error.h"
#include "common/FolderListing.h"
#include "common/Text.h"
#include "profiles/AddressFilterDialog.h"
#include "profiles/DateRange.h"
#include "profiles/FilterListBox.h"
#include "profiles/ProfileKeys.h"
#include "profiles/ProfileLists.h"
#include "profiles/ReferringDomainFilterDialog.h"
#include "profiles/WebFilterDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace larkspan {

namespace {

QString qs(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}
std::string ss(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QDate toQDate(int day)
{
    const CivilDate date = civilDate(day);
    return QDate(date.year, date.month, date.day);
}

int toDayNumber(const QDate& date)
{
    return dayNumber({date.year(), date.month(), date.day()});
}

// Passes every message on and keeps the first error, so the editor can show
// the page of the check that failed.
class ErrorTap : public Messages {
  public:
    explicit ErrorTap(Messages& inner) : inner_(inner) {}
    void show(MessageKind kind, const std::string& text) override
    {
        if (kind == MessageKind::Error && firstError.empty()) firstError = text;
        inner_.show(kind, text);
    }
    Answer ask(MessageKind kind, const std::string& text, Buttons buttons) override
    {
        return inner_.ask(kind, text, buttons);
    }
    std::string firstError;

  private:
    Messages& inner_;
};

// The page and control to show for a check's message.
struct FailurePlace {
    const char* message;
    ProfileEditor::Page page;
    const char* control; // object name, or nullptr
};

constexpr FailurePlace kFailurePlaces[] = {
    {"You must assign a name to your profile to save it.", ProfileEditor::Identification, "ProfName"},
    {"You must assign a URL to your profile to save it.", ProfileEditor::Identification, "URL"},
    {"You must assign a Web to your profile to save it.", ProfileEditor::SelectWeb, "WebList"},
    {"You must select at least one hit filter option.", ProfileEditor::Options, nullptr},
    {"The start date of the report cannot be greater than the end date.", ProfileEditor::TimePeriod, nullptr},
};

} // namespace

ProfileEditor::ProfileEditor(DesktopSession& session, QWidget* parent)
    : ProfileEditor(session, session.platform().clock, parent)
{
}

ProfileEditor::ProfileEditor(DesktopSession& session, const Clock& clock, QWidget* parent)
    : QDialog(parent), session_(session), clock_(clock), pages_(new QTabWidget)
{
    setObjectName("profileEditor");
    setWindowTitle(kCaption);
    pages_->setObjectName("PageControl1");
    pages_->addTab(buildIdentificationPage(), "Profile Identification");
    pages_->addTab(buildSelectWebPage(), "Select Web ");
    pages_->addTab(buildTimePeriodPage(), "Time Period");
    pages_->addTab(buildReportInformationPage(), "Report Information");
    pages_->addTab(buildOptionsPage(), "Options");
    pages_->addTab(buildFiltersPage(), "Filters");
    pages_->addTab(buildSpecialPage(), "Special");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buildToolbar());

    connect(preDate_, &QComboBox::currentIndexChanged, this, &ProfileEditor::applyDateRule);
    connect(start_, &QDateEdit::dateChanged, this, &ProfileEditor::pickerDateChanged);
    connect(end_, &QDateEdit::dateChanged, this, &ProfileEditor::pickerDateChanged);
    connect(ocsv_, &QCheckBox::toggled, this, &ProfileEditor::updateCsvControls);
    connect(csvFolder_, &QToolButton::clicked, this, &ProfileEditor::chooseCsvFolder);

    askText = [this](const QString& title, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString answer = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, QString(), &ok);
        if (!ok) return std::nullopt;
        return answer;
    };
    chooseFolder = [this](const QString& caption) { return QFileDialog::getExistingDirectory(this, caption); };
    runDialog = [](QDialog& dialog) { return dialog.exec(); };

    movingPickers_ = true;
    start_->setDate(toQDate(clock_.todayNumber()));
    end_->setDate(toQDate(clock_.todayNumber()));
    movingPickers_ = false;
    fillWebList(false);
    applyDateRule();
    pages_->setCurrentIndex(Identification);
    updateCsvControls();
    resize(640, 500);
}

ProfileEditor::~ProfileEditor() = default;

void ProfileEditor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    name_->setFocus();
}

void ProfileEditor::setProfileName(const std::string& name)
{
    name_->setText(qs(name));
    setWindowTitle(qs(name));
}

std::string ProfileEditor::profileName() const
{
    return ss(name_->text());
}

// ---------------------------------------------------------------------------
// Webs, dates and the CSV controls

void ProfileEditor::fillWebList(bool withSettingsOnly)
{
    const std::string& dataDirectory = session_.app.dataDirectory;
    web_->clear();
    for (const FolderEntry& entry : listFolder(joinPath(dataDirectory, "wwwstats"))) {
        if (!entry.directory) continue;
        if (withSettingsOnly && !profiles::webExists(dataDirectory, entry.name)) continue;
        web_->addItem(qs(entry.name));
    }
    // The field starts empty, not on the first web.
    web_->setCurrentIndex(-1);
    web_->clearEditText();
}

void ProfileEditor::applyDateRule()
{
    const std::optional<profiles::DayRange> range =
        profiles::computeRange(preDate_->currentIndex(), clock_.todayNumber());
    if (range) {
        movingPickers_ = true;
        start_->setDate(toQDate(range->first));
        end_->setDate(toQDate(range->last));
        movingPickers_ = false;
    }
    start_->setEnabled(!range);
    end_->setEnabled(!range);
}

void ProfileEditor::pickerDateChanged()
{
    if (!movingPickers_) preDate_->setCurrentIndex(7);
}

void ProfileEditor::updateCsvControls()
{
    const bool on = ocsv_->isChecked();
    csvPath_->setEnabled(on);
    csvFolder_->setEnabled(on);
    overwrite_->setEnabled(on);
}

void ProfileEditor::chooseCsvFolder()
{
    const QString chosen = chooseFolder("Select a Folder");
    if (chosen.isEmpty()) return;
    csvPath_->setText(qs(withTrailingSeparator(ss(chosen))));
}

// ---------------------------------------------------------------------------
// Populate from table

void ProfileEditor::setPicker(QDateEdit* picker, const std::string& key, const char* message)
{
    const int today = clock_.todayNumber();
    std::optional<QDate> date;
    if (const std::optional<long long> day = table_.getInteger(key)) {
        if (*day >= toDayNumber(picker->minimumDate()) && *day <= toDayNumber(picker->maximumDate())) {
            date = toQDate(static_cast<int>(*day));
        }
    } else if (const std::optional<CivilDate> typed = dates::parseShortDate(table_.getText(key))) {
        date = QDate(typed->year, typed->month, typed->day);
    }
    if (!date || *date < picker->minimumDate() || *date > picker->maximumDate()) {
        session_.messages().show(MessageKind::Error, message);
        date = toQDate(today);
    }
    movingPickers_ = true;
    picker->setDate(*date);
    movingPickers_ = false;
}

void ProfileEditor::populateFromTable()
{
    url_->setText(qs(table_.getText("url")));
    admin_->setText(qs(table_.getText("admin")));
    adminEmail_->setText(qs(table_.getText("admin-email")));
    consEmail_->setText(qs(table_.getText("cons-email")));

    const std::optional<long long> preDate = table_.getInteger("pre-date");
    if (!preDate) throw Error("'" + table_.getText("pre-date") + "' is not a valid integer value");
    preDate_->setCurrentIndex(*preDate >= 0 && *preDate <= 7 ? static_cast<int>(*preDate) : -1);
    if (preDate_->currentIndex() == 7) {
        setPicker(start_, "start", "Error reading Start Date from profile.\nSetting to today's date.");
        setPicker(end_, "end", "Error reading End Date from profile.\nSetting to today's date.");
    }

    fillWebList(true);
    const int webIndex = web_->findText(qs(table_.getText("path")), Qt::MatchFixedString);
    if (webIndex >= 0 && !table_.getText("path").empty()) {
        web_->setCurrentIndex(webIndex);
    } else if (table_.find("path") >= 0) {
        table_.setText("path", "");
    }

    title_->setText(qs(table_.getText("rtitle")));
    const std::pair<const char*, QCheckBox*> booleans[] = {
        {"browser", browser_},   {"usage", usage_},        {"page", page_},           {"referrers", referrers_},
        {"demogs", demogs_},     {"oadmin", oadmin_},      {"oconsumer", oconsumer_}, {"obrowser", obrowser_},
        {"ocsv", ocsv_},         {"ovrwrite", overwrite_}, {"hitoth", hitOther_},     {"hitimg", hitImage_},
        {"hitdf", hitDownload_}, {"hitpage", hitPage_},    {"gengraph", genGraph_},   {"norobots", noRobots_},
        {"details", details_},
    };
    for (const auto& [key, box] : booleans)
        box->setChecked(table_.getBoolean(key));
    csvPath_->setText(qs(table_.getText("csvpath")));
    (table_.getBoolean("trackbyses") ? trackSessions_ : trackPages_)->setChecked(true);
    (table_.getBoolean("g3d") ? graph3d_ : graph2d_)->setChecked(true);
    const QString maxRows = qs(table_.getText("maxrows"));
    maxRows_->setCurrentIndex(maxRows.isEmpty() ? -1 : maxRows_->findText(maxRows, Qt::MatchFixedString));

    profiles::ProfileListTexts lists;
    if (!text::trim(profileName()).empty()) {
        try {
            lists = profiles::loadListTexts(session_.folder(), profileName());
        } catch (const Error&) {
            // A name that cannot form a file name has no lists to read.
        }
    }
    setListTexts(lists);

    updateCsvControls();
    applyDateRule();
}

profiles::ProfileListTexts ProfileEditor::listTexts() const
{
    return {ipList_->listText(), subdList_->listText(), addsList_->listText(), affsList_->listText(),
            refdList_->listText()};
}

void ProfileEditor::setListTexts(const profiles::ProfileListTexts& lists)
{
    ipList_->setListText(lists.ip);
    subdList_->setListText(lists.subd);
    addsList_->setListText(lists.adds);
    affsList_->setListText(lists.affs);
    refdList_->setListText(lists.refd);
}

// ---------------------------------------------------------------------------
// Write profile

std::string ProfileEditor::controlValue(const std::string& key) const
{
    const std::pair<const char*, const QLineEdit*> texts[] = {
        {"url", url_},      {"admin", admin_},     {"admin-email", adminEmail_}, {"cons-email", consEmail_},
        {"rtitle", title_}, {"csvpath", csvPath_},
    };
    for (const auto& [name, field] : texts) {
        if (key == name) return ss(field->text());
    }
    const std::pair<const char*, const QAbstractButton*> booleans[] = {
        {"browser", browser_},          {"usage", usage_},       {"page", page_},
        {"referrers", referrers_},      {"demogs", demogs_},     {"oadmin", oadmin_},
        {"oconsumer", oconsumer_},      {"obrowser", obrowser_}, {"ocsv", ocsv_},
        {"ovrwrite", overwrite_},       {"gengraph", genGraph_}, {"g3d", graph3d_},
        {"trackbyses", trackSessions_}, {"hitoth", hitOther_},   {"hitimg", hitImage_},
        {"hitdf", hitDownload_},        {"hitpage", hitPage_},   {"norobots", noRobots_},
        {"details", details_},
    };
    for (const auto& [name, box] : booleans) {
        if (key == name) return booleanText(box->isChecked());
    }
    if (key == "pre-date") return std::to_string(preDate_->currentIndex());
    if (key == "start") return std::to_string(toDayNumber(start_->date()));
    if (key == "end") return std::to_string(toDayNumber(end_->date()));
    if (key == "path") return ss(web_->currentText());
    if (key == "maxrows") return maxRows_->currentIndex() >= 0 ? ss(maxRows_->currentText()) : std::string();
    return table_.getText(key);
}

void ProfileEditor::controlsIntoTable()
{
    // In the order of the key table, so keys a table lacks are appended in it.
    for (const profiles::ProfileKey& key : profiles::kProfileKeys) {
        const std::string name(key.name);
        table_.setText(name, controlValue(name));
    }
}

void ProfileEditor::showFailure(const std::string& message)
{
    for (const FailurePlace& place : kFailurePlaces) {
        if (message != place.message) continue;
        pages_->setCurrentIndex(place.page);
        if (place.control) {
            if (auto* control = findChild<QWidget*>(place.control)) control->setFocus();
        }
        return;
    }
}

bool ProfileEditor::WriteProfile(bool base, bool runReport)
{
    controlsIntoTable();
    Platform& platform = session_.platform();
    ErrorTap tap(platform.messages);
    Platform tapped{
        tap,           platform.pump,   platform.progress, platform.cancel, platform.clock, platform.shell,
        platform.mail, platform.charts, platform.ftp,      platform.dns,    platform.help,  platform.unattended};
    profiles::SaveContext context{session_.app.dataDirectory, clock_.todayNumber(), runReport};
    try {
        if (profiles::writeProfile(tapped, session_.folder(), profileName(), table_, listTexts(), context, base)) {
            return true;
        }
    } catch (const Error& error) {
        // A name that cannot be a file name.
        session_.messages().show(MessageKind::Error, error.what());
        pages_->setCurrentIndex(Identification);
        name_->setFocus();
        return false;
    }
    showFailure(tap.firstError);
    return false;
}

// ---------------------------------------------------------------------------
// Toolbar

void ProfileEditor::showEditorHelp()
{
    session_.platform().help.showTopic(kHelpTopic);
}

void ProfileEditor::restoreDefaults()
{
    const Answer answer = session_.messages().ask(MessageKind::Warning,
                                                  "Save the current settings as the defaults in the Base profile?\n"
                                                  "This will overwrite your current base default settings.",
                                                  Buttons::YesNo);
    if (answer == Answer::Yes) WriteProfile(true);
}

void ProfileEditor::closeWithoutSaving()
{
    session_.runAfterEdit = false;
    reject();
}

void ProfileEditor::saveAndClose()
{
    if (!WriteProfile(false)) return;
    session_.runAfterEdit = false;
    accept();
}

void ProfileEditor::saveAndRun()
{
    session_.runAfterEdit = true;
    if (WriteProfile(false, true)) {
        accept();
    } else {
        session_.runAfterEdit = false;
    }
}

// ---------------------------------------------------------------------------
// Add buttons

void ProfileEditor::addAddressEntry()
{
    AddressFilterDialog dialog(ipList_->listText(), session_.messages(), this);
    if (runDialog(dialog) == QDialog::Accepted) ipList_->setListText(dialog.listText());
}

void ProfileEditor::addReferringDomainEntry()
{
    ReferringDomainFilterDialog dialog(refdList_->listText(), session_.messages(), this);
    if (runDialog(dialog) == QDialog::Accepted) refdList_->setListText(dialog.listText());
}

void ProfileEditor::addWebFilterEntry()
{
    WebFilterDialog dialog(subdList_->listText(), session_.messages(), this);
    if (runDialog(dialog) == QDialog::Accepted) subdList_->setListText(dialog.listText());
}

void ProfileEditor::addAdvertisingEntry()
{
    addDomain(addsList_, true);
}

void ProfileEditor::addAffiliateEntry()
{
    addDomain(affsList_, false);
}

void ProfileEditor::addDomain(FilterListBox* list, bool advertising)
{
    const QString prompt = QString(advertising ? "Enter advertiser's domain name" : "Enter Affiliate's domain name") +
                           "\n\n\nExample: " + kSampleHost;
    const std::optional<QString> answer = askText(advertising ? "Advertising Domains" : "Affiliate Domains", prompt);
    if (!answer) return;
    std::string listText = list->listText();
    const profiles::ListAddition added = advertising ? profiles::addAdvertisingDomain(listText, ss(*answer))
                                                     : profiles::addAffiliateDomain(listText, ss(*answer));
    if (added.outcome == profiles::ListAddition::Refused) {
        session_.messages().show(MessageKind::Error, added.message);
    } else if (added.outcome == profiles::ListAddition::Added) {
        list->setListText(listText);
    }
}

} // namespace larkspan
