// The editor's seven pages and its toolbar: controls, captions, hints and
// initial states.
#include "profiles/FilterListBox.h"
#include "profiles/ProfileEditor.h"

#include "DesktopIcons.h"
#include "profiles/DateRange.h"
#include "profiles/ProfileKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace larkspan {

namespace {

// Label texts break lines with CR LF; a label breaks at LF.
QLabel* note(const char* text, const char* objectName = nullptr)
{
    QString shown = QString::fromLatin1(text);
    shown.replace("\r\n", "\n");
    auto* label = new QLabel(shown);
    if (objectName) label->setObjectName(objectName);
    return label;
}

QLineEdit* lineEdit(const char* objectName)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    return edit;
}

QCheckBox* checkBox(const char* objectName, const char* caption, bool ticked)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(objectName);
    box->setChecked(ticked);
    return box;
}

QGroupBox* group(const char* objectName, const char* title)
{
    auto* box = new QGroupBox(title);
    box->setObjectName(objectName);
    return box;
}

// A label above its field, the label's mnemonic focusing the field.
void labelled(QVBoxLayout* layout, const char* caption, QWidget* field)
{
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    layout->addWidget(label);
    layout->addWidget(field);
}

QPushButton* addButton(const char* objectName, const char* hint)
{
    auto* button = new QPushButton("Add");
    button->setObjectName(objectName);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

// A filter list's group: the list box and its Add button beside it.
QGroupBox* listGroup(const char* objectName, const char* title, FilterListBox* list, QPushButton* add)
{
    QGroupBox* box = group(objectName, title);
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(list, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addStretch();
    layout->addLayout(buttons);
    return box;
}

QDateEdit* datePicker(const char* objectName)
{
    auto* picker = new QDateEdit;
    picker->setObjectName(objectName);
    picker->setCalendarPopup(true);
    // The program's long date form, "Wednesday, December 09, 2026".
    picker->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    picker->setDisplayFormat("dddd, MMMM dd, yyyy");
    picker->setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
    return picker;
}

} // namespace

QWidget* ProfileEditor::buildIdentificationPage()
{
    name_ = lineEdit("ProfName");
    url_ = lineEdit("URL");
    adminEmail_ = lineEdit("AdminEmail");
    consEmail_ = lineEdit("ConsEmail");
    admin_ = lineEdit("ProfAdmin");
    admin_->setAccessibleName("Profile Administrator");
    admin_->setVisible(false);

    QGroupBox* identification = group("Identification", " Identification ");
    auto* ident = new QVBoxLayout(identification);
    labelled(ident, "Profile &Name", name_);
    labelled(ident, "&URL", url_);

    QGroupBox* administration = group("Administration", " Administration ");
    auto* admin = new QVBoxLayout(administration);
    labelled(admin, "&Administrator e-mail address", adminEmail_);
    labelled(admin, "Cus&tomer e-mail address", consEmail_);
    admin->addWidget(admin_);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(identification);
    layout->addWidget(administration);
    layout->addStretch();
    return page;
}

QWidget* ProfileEditor::buildSelectWebPage()
{
    web_ = new QComboBox;
    web_->setObjectName("WebList");
    web_->setEditable(true);
    web_->setInsertPolicy(QComboBox::NoInsert);

    QGroupBox* webs = group("AvailableWebs", "Available Webs ");
    auto* layout = new QVBoxLayout(webs);
    labelled(layout, "Select a &Web from the list", web_);
    QLabel* explanation =
        note("The selected  Web, and the time period requested on the time period page, determine the log files that "
             "are processed for the report profile.\r\n\r\nOnly log files that are imported into a web are available "
             "for reporting.  \r\n\r\nTo create a Web and Import log files select Web Management from the main File "
             "menu. \r\n(see Help for more information on Webs). ",
             "WebNote");
    explanation->setWordWrap(true);
    layout->addSpacing(8);
    layout->addWidget(explanation);

    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(webs);
    pageLayout->addStretch();
    return page;
}

QWidget* ProfileEditor::buildTimePeriodPage()
{
    preDate_ = new QComboBox;
    preDate_->setObjectName("PreDate");
    for (int choice = 0; choice <= 7; ++choice)
        preDate_->addItem(QString::fromStdString(profiles::rangeEntryText(choice)));
    preDate_->setCurrentIndex(-1);
    start_ = datePicker("StartDate");
    end_ = datePicker("EndDate");

    QGroupBox* ranges = group("PredefinedRanges", " &Predefined Ranges ");
    auto* rangeLayout = new QVBoxLayout(ranges);
    rangeLayout->addWidget(note("Use this drop-down to pick from commonly used predefined ranges of dates.  (When you "
                                "\r\nmake your selection, the appropriate dates will be automatically calculated and "
                                "loaded \r\ninto the Date Range boxes below.)"));
    rangeLayout->addWidget(preDate_);

    QGroupBox* dates = group("UseDateRange", " Use Date Range ");
    auto* dateLayout = new QVBoxLayout(dates);
    auto* pickers = new QHBoxLayout;
    auto* startColumn = new QVBoxLayout;
    labelled(startColumn, "Report S&tart Date", start_);
    auto* endColumn = new QVBoxLayout;
    labelled(endColumn, "R&eport End Date", end_);
    pickers->addLayout(startColumn);
    pickers->addLayout(endColumn);
    dateLayout->addLayout(pickers);
    dateLayout->addWidget(note("Enter dates in these boxes or click the drop-downs for calendars. The report will "
                               "include \r\nthe dates shown in these boxes, and all dates in between."));

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ranges);
    layout->addWidget(dates);
    layout->addStretch();
    return page;
}

QWidget* ProfileEditor::buildReportInformationPage()
{
    page_ = checkBox("cbPage", "&Page Analysis", true);
    browser_ = checkBox("cbBrowser", "&Browser Analysis", true);
    usage_ = checkBox("cbUsage", "&Usage Analysis", true);
    referrers_ = checkBox("cbReferrers", "Re&ferral Analysis", true);
    demogs_ = checkBox("cbDemogs", "Demograp&hic Analysis (Requires server side RDNS)", false);
    QGroupBox* requested = group("InformationRequested", " Information Requested ");
    auto* requestedLayout = new QVBoxLayout(requested);
    for (QCheckBox* box : {page_, browser_, usage_, referrers_, demogs_})
        requestedLayout->addWidget(box);

    maxRows_ = new QComboBox;
    maxRows_->setObjectName("MaxRows");
    for (std::string_view choice : profiles::kMaxRowsChoices)
        maxRows_->addItem(QString::fromLatin1(choice.data(), static_cast<int>(choice.size())));
    maxRows_->setCurrentIndex(-1);
    auto* maxRowsLabel = new QLabel("&Maximum number of items to display on reports ");
    maxRowsLabel->setBuddy(maxRows_);

    genGraph_ = checkBox("cbGenGraph", "&Generate Graphs for Reports", false);
    graph2d_ = new QRadioButton("&2D Graphs");
    graph2d_->setObjectName("rb2D");
    graph3d_ = new QRadioButton("&3D Graphs");
    graph3d_->setObjectName("rb3D");
    graph2d_->setChecked(true);
    QGroupBox* graphs = group("Graphs", " Graphs ");
    auto* graphLayout = new QVBoxLayout(graphs);
    graphLayout->addWidget(genGraph_);
    auto* graphChoice = new QHBoxLayout;
    graphChoice->addWidget(graph2d_);
    graphChoice->addWidget(graph3d_);
    graphChoice->addStretch();
    graphLayout->addLayout(graphChoice);

    oadmin_ = checkBox("cbOAdmin", "&E-mail administrator", false);
    oconsumer_ = checkBox("cbOConsumer", "E-mail &to customer", false);
    obrowser_ = checkBox("cbOBrowser", "&Output to browser", true);
    QGroupBox* sendTo = group("SendOutputTo", "Send Output to ");
    auto* sendLayout = new QVBoxLayout(sendTo);
    for (QCheckBox* box : {oadmin_, oconsumer_, obrowser_})
        sendLayout->addWidget(box);

    ocsv_ = checkBox("cbOCsv", "Create CS&V files", false);
    csvPath_ = lineEdit("CsvPath");
    csvFolder_ = new QToolButton;
    csvFolder_->setObjectName("CsvFolderBtn");
    csvFolder_->setIcon(icons::folder());
    csvFolder_->setToolTip("Select Folder ...");
    overwrite_ = checkBox("cbOverwrite", "&Automatically overwrite CSV files if they exist", true);
    QGroupBox* files = group("CreateReportFiles", " Create Report Files ");
    auto* filesLayout = new QVBoxLayout(files);
    filesLayout->addWidget(ocsv_);
    auto* csvRow = new QHBoxLayout;
    csvRow->addWidget(csvPath_, 1);
    csvRow->addWidget(csvFolder_);
    filesLayout->addLayout(csvRow);
    filesLayout->addWidget(overwrite_);

    QGroupBox* output = group("OutputSettings", " Output Settings ");
    auto* outputLayout = new QHBoxLayout(output);
    outputLayout->addWidget(sendTo);
    outputLayout->addWidget(files, 1);

    title_ = lineEdit("RTitle");
    title_->setAccessibleName("Report Title");
    title_->setText("Larkspan Activity Report");
    title_->setVisible(false);

    auto* left = new QVBoxLayout;
    left->addWidget(requested);
    auto* right = new QVBoxLayout;
    right->addWidget(maxRowsLabel);
    right->addWidget(maxRows_);
    right->addWidget(graphs);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right, 1);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(output);
    layout->addWidget(title_);
    layout->addStretch();
    return page;
}

QWidget* ProfileEditor::buildOptionsPage()
{
    hitPage_ = checkBox("cbHitPage", "Pages (Pages refers to: HTML, ASP or other web page types)", true);
    hitDownload_ = checkBox(
        "cbHitDf", "Download Files (Download Files refers to: EXEs. PDFs, ZIPs, and other download types)", false);
    hitImage_ = checkBox("cbHitImg", "Images (Images refers to: jpeg, bmp, gif and other image types)", false);
    hitOther_ = checkBox("cbHitOth", "Other (Other represents file types not included in the above categories)", false);
    QGroupBox* hits =
        group("HitFilterOptions", " Usage Hit Filter Options - Define the types of requests to include as hits");
    auto* hitLayout = new QVBoxLayout(hits);
    for (QCheckBox* box : {hitPage_, hitDownload_, hitImage_, hitOther_})
        hitLayout->addWidget(box);

    trackPages_ = new QRadioButton("Track by Pages and Files");
    trackPages_->setObjectName("rbTrackPages");
    trackPages_->setChecked(true);
    trackSessions_ = new QRadioButton("Track by Unique Sessions");
    trackSessions_->setObjectName("rbTrackSessions");
    QGroupBox* rules = group("TrackingRules", " Referring URL, Browser, User OS - Rules ");
    auto* ruleLayout = new QGridLayout(rules);
    ruleLayout->addWidget(trackPages_, 0, 0);
    ruleLayout->addWidget(note("Displays results based on a reporting\r\nof all user requests"), 0, 1);
    ruleLayout->addWidget(trackSessions_, 1, 0);
    ruleLayout->addWidget(note("Displays results based on a reporting\r\nof all unique sessions"), 1, 1);
    ruleLayout->setColumnStretch(1, 1);

    noRobots_ = checkBox("cbNoRobots", "Leave robots and crawlers out of every count (they are listed apart)", false);
    details_ = checkBox("cbDetails",
                        "Traffic details (robots, status codes, pages not found, hours, weekdays, file types)", false);
    QGroupBox* traffic = group("TrafficOptions", " Robots and Traffic Details ");
    auto* trafficLayout = new QVBoxLayout(traffic);
    trafficLayout->addWidget(noRobots_);
    trafficLayout->addWidget(details_);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(hits);
    layout->addWidget(rules);
    layout->addWidget(traffic);
    layout->addStretch();
    return page;
}

QWidget* ProfileEditor::buildFiltersPage()
{
    ipList_ = new FilterListBox("IpList", true);
    refdList_ = new FilterListBox("RefdList", true);
    subdList_ = new FilterListBox("SubdList", false);
    QPushButton* addIp = addButton("AddIpBtn", "Add an IP Address to exclude");
    QPushButton* addRefd = addButton("AddRefdBtn", "Add a referring domain to exclude from reports");
    QPushButton* addSubd = addButton("AddSubdBtn", "Add a sub domain or a directory to exclude");
    connect(addIp, &QPushButton::clicked, this, &ProfileEditor::addAddressEntry);
    connect(addRefd, &QPushButton::clicked, this, &ProfileEditor::addReferringDomainEntry);
    connect(addSubd, &QPushButton::clicked, this, &ProfileEditor::addWebFilterEntry);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(listGroup("ExcludeIp", "&Exclude IP Addresses ", ipList_, addIp));
    layout->addWidget(listGroup("ExcludeRefd", "Exclude Referring &URL/Domain from Report", refdList_, addRefd));
    layout->addWidget(listGroup("SubDomains", "&Automatically Generate Sub Domains ", subdList_, addSubd));
    return page;
}

QWidget* ProfileEditor::buildSpecialPage()
{
    addsList_ = new FilterListBox("AddsList", false);
    affsList_ = new FilterListBox("AffsList", false);
    QPushButton* addAdds = addButton("AddAddsBtn", "Add an advertiser's domain");
    QPushButton* addAffs = addButton("AddAffsBtn", "Add an affiliate's domain");
    connect(addAdds, &QPushButton::clicked, this, &ProfileEditor::addAdvertisingEntry);
    connect(addAffs, &QPushButton::clicked, this, &ProfileEditor::addAffiliateEntry);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(listGroup("AdvertisingDomains", "&Advertising Domains", addsList_, addAdds));
    layout->addWidget(listGroup("AffiliateDomains", "A&ffiliate Domains", affsList_, addAffs));
    return page;
}

QWidget* ProfileEditor::buildToolbar()
{
    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        void (ProfileEditor::*click)();
        QIcon icon;
    };
    const Button buttons[] = {
        {"HelpBtn", "He&lp", "Help on the profile editor", &ProfileEditor::showEditorHelp, icons::help()},
        {"DefaultsBtn", "Set &Defaults", "Set the current settings as the base profile",
         &ProfileEditor::restoreDefaults, icons::properties()},
        {"CloseBtn", "&Close", "Close the profile editor without saving changes", &ProfileEditor::closeWithoutSaving,
         icons::exit()},
        {"SaveBtn", "&Save and Close", "Save changes and close the profile editor", &ProfileEditor::saveAndClose,
         icons::openProfile()},
        {"RunBtn", "&Run Report", "Save changes and run the report", &ProfileEditor::saveAndRun, icons::run()},
    };
    auto* bar = new QWidget;
    bar->setObjectName("ToolBar");
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const Button& b : buttons) {
        auto* button = new QPushButton(b.icon, b.caption);
        button->setObjectName(b.name);
        button->setToolTip(b.hint);
        // Enter in a text field must not press a toolbar button.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.click);
        layout->addWidget(button);
    }
    layout->addStretch();
    return bar;
}

} // namespace larkspan
