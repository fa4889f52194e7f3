// The filter lists: the three Add dialogs, the advertising and affiliate
// input boxes, and the list boxes' line and scroll-bar rules.
#include "ProfileEditorFixture.h"
#include "profiles/AddressFilterDialog.h"
#include "profiles/ReferringDomainFilterDialog.h"
#include "profiles/WebFilterDialog.h"

#include <QRadioButton>
#include <QScrollBar>
#include <deque>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

class FilterDialogs : public ProfileEditorFixture {
  protected:
    // Runs the editor's Add dialogs through fill instead of exec.
    template <class Dialog> void driveDialogs(std::function<void(Dialog&)> fill)
    {
        editor().runDialog = [fill](QDialog& dialog) {
            auto* typed = dynamic_cast<Dialog*>(&dialog);
            EXPECT_NE(typed, nullptr);
            if (typed) fill(*typed);
            return dialog.result();
        };
    }

    // Answers the input boxes in turn; std::nullopt is Cancel.
    void answerInputBoxes(std::initializer_list<std::optional<QString>> answers)
    {
        inputAnswers.assign(answers.begin(), answers.end());
        editor().askText = [this](const QString& title, const QString& prompt) -> std::optional<QString> {
            titles << title;
            prompts << prompt;
            std::optional<QString> answer = inputAnswers.front();
            inputAnswers.pop_front();
            return answer;
        };
    }

    std::deque<std::optional<QString>> inputAnswers;
    QStringList titles, prompts;
};

TEST_F(FilterDialogs, IpFilterAddsASingleAddressOrARange)
{
    AddressFilterDialog dialog("", messages);
    EXPECT_EQ(dialog.windowTitle(), "Add IP Filter");
    EXPECT_TRUE(dialog.singleChoice()->isChecked());
    EXPECT_FALSE(dialog.lastOctetField()->isEnabled());
    dialog.acceptEntry(); // empty address: nothing, the dialog stays
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(dialog.listText(), "");

    dialog.rangeChoice()->setChecked(true);
    EXPECT_TRUE(dialog.lastOctetField()->isEnabled());
    EXPECT_NE(dialog.lastOctetField()->palette().color(QPalette::Base), dialog.palette().color(QPalette::Button));
    dialog.addressField()->setText("172.16.0.1");
    dialog.acceptEntry(); // range chosen but no last octet: the single address
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.listText(), "172.16.0.1\r\n");

    AddressFilterDialog range(dialog.listText(), messages);
    range.rangeChoice()->setChecked(true);
    range.addressField()->setText("172.16.0.1");
    range.lastOctetField()->setText("55");
    range.acceptEntry();
    EXPECT_EQ(range.listText(), "172.16.0.1\r\n172.16.0.1,55\r\n");

    AddressFilterDialog single(range.listText(), messages);
    single.lastOctetField()->setText("9"); // ignored while a single address is chosen
    single.addressField()->setText("172.16.0.1,55");
    single.acceptEntry(); // already listed
    EXPECT_EQ(single.listText(), range.listText());
    EXPECT_EQ(single.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.recorded.empty());

    // A "*" entry would exclude nothing: refused, the range form shown.
    AddressFilterDialog wildcard(range.listText(), messages);
    wildcard.addressField()->setText("10.0.0.*");
    wildcard.acceptEntry();
    EXPECT_EQ(lastText(), "The IP filter cannot use 10.0.0.*: entries with \"*\" exclude nothing.\nTo exclude "
                          "10.0.0.0 through 10.0.0.255, give the first address and the last octet: 10.0.0.0,255");
    EXPECT_EQ(messages.recorded.back().kind, MessageKind::Error);
    EXPECT_EQ(wildcard.result(), 0); // stays open for the corrected entry
    EXPECT_EQ(wildcard.listText(), range.listText());

    // Through the editor's Add button, after a last line without a break.
    listBox("IpList")->setListText("10.0.0.1");
    driveDialogs<AddressFilterDialog>([](AddressFilterDialog& d) {
        d.addressField()->setText("10.0.0.5");
        d.acceptEntry();
    });
    child<QPushButton>("AddIpBtn")->click();
    EXPECT_EQ(listBox("IpList")->listText(), "10.0.0.1\r\n10.0.0.5");
    driveDialogs<AddressFilterDialog>([](AddressFilterDialog& d) {
        d.addressField()->setText("10.0.0.9");
        d.reject();
    });
    child<QPushButton>("AddIpBtn")->click();
    EXPECT_EQ(listBox("IpList")->listText(), "10.0.0.1\r\n10.0.0.5");
}

TEST_F(FilterDialogs, WebFilterKeepsTheSubWebFirstAndRefusesASecond)
{
    WebFilterDialog first("", messages);
    EXPECT_EQ(first.windowTitle(), "Web Filter");
    EXPECT_TRUE(first.subWebChoice()->isChecked());
    first.acceptEntry(); // empty directory: nothing
    EXPECT_EQ(first.result(), 0);
    first.directoryField()->setText("products");
    first.acceptEntry();
    EXPECT_EQ(first.listText(), "products,SubDomain\r\n");

    WebFilterDialog second(first.listText(), messages);
    second.directoryField()->setText("shop");
    second.acceptEntry();
    EXPECT_EQ(lastText(), "Cannot Create Subweb if other filter information exists\rThe Sub web MUST be the first "
                          "entry in the line!");
    EXPECT_EQ(messages.recorded.back().kind, MessageKind::Error);
    EXPECT_EQ(second.listText(), "products,SubDomain\r\n");
    EXPECT_EQ(second.result(), 0); // stays open

    WebFilterDialog exclude(first.listText(), messages);
    exclude.excludeChoice()->setChecked(true);
    exclude.directoryField()->setText("old");
    exclude.acceptEntry();
    EXPECT_EQ(exclude.listText(), "products,SubDomain\r\nold,Exclude\r\n");
    WebFilterDialog again(exclude.listText(), messages);
    again.excludeChoice()->setChecked(true);
    again.directoryField()->setText("OLD");
    again.acceptEntry(); // equal line: not added twice
    EXPECT_EQ(again.listText(), exclude.listText());

    // A sub-web added to a list of exclusions goes in front of them.
    WebFilterDialog front("old,Exclude", messages);
    front.directoryField()->setText("products");
    front.acceptEntry();
    EXPECT_EQ(front.listText(), "products,SubDomain\r\nold,Exclude");

    driveDialogs<WebFilterDialog>([](WebFilterDialog& d) {
        d.directoryField()->setText("products");
        d.acceptEntry();
    });
    child<QPushButton>("AddSubdBtn")->click();
    EXPECT_EQ(listBox("SubdList")->listText(), "products,SubDomain\r\n");
}

TEST_F(FilterDialogs, ReferringDomainIsStoredBareAndBlankOrDuplicateIsRefused)
{
    ReferringDomainFilterDialog dialog("", messages);
    EXPECT_EQ(dialog.windowTitle(), "Referring Domain Filter");
    dialog.domainField()->setText("  https://www.Partner.example/path/page.html ");
    dialog.acceptEntry();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.listText(), "www.Partner.example\r\n");

    ReferringDomainFilterDialog blank(dialog.listText(), messages);
    blank.domainField()->setText("http:///only/a/path");
    blank.acceptEntry();
    EXPECT_EQ(lastText(), "Cannot add a blank domain.");
    EXPECT_EQ(blank.result(), 0);

    ReferringDomainFilterDialog duplicate(dialog.listText(), messages);
    duplicate.domainField()->setText("WWW.partner.example");
    duplicate.acceptEntry();
    EXPECT_EQ(lastText(), "Domain WWW.partner.example cannot be added.\nDuplicates not allowed.");
    EXPECT_EQ(duplicate.result(), 0);
    EXPECT_EQ(duplicate.listText(), dialog.listText());
}

TEST_F(FilterDialogs, AdvertisingAndAffiliateBoxesCleanTheirAnswers)
{
    answerInputBoxes({QString("http://ads.example/"), QString("ads.example/banners/"), QString("   "),
                      QString("bad host.example"), std::nullopt, QString("ADS.example")});
    for (int i = 0; i < 6; ++i)
        child<QPushButton>("AddAddsBtn")->click();
    EXPECT_EQ(listBox("AddsList")->listText(), "ads.example\r\nads.example/banners/\r\n");
    EXPECT_EQ(texts(), std::vector<std::string>{"Invalid Domain Name\nBlank space is not allowed."});
    EXPECT_EQ(titles.first(), "Advertising Domains");
    EXPECT_TRUE(prompts.first().startsWith("Enter advertiser's domain name\n\n\nExample: "));

    answerInputBoxes({QString("https://partner.example/"), QString("partner.example/shop/")});
    titles.clear();
    for (int i = 0; i < 2; ++i)
        child<QPushButton>("AddAffsBtn")->click();
    EXPECT_EQ(listBox("AffsList")->listText(), "partner.example\r\npartner.example/shop\r\n");
    EXPECT_EQ(titles.first(), "Affiliate Domains");
}

TEST_F(FilterDialogs, ListBoxesDoNotWrapAndShowScrollBarsFromFiveLines)
{
    for (const char* name : {"IpList", "RefdList", "SubdList", "AddsList", "AffsList"}) {
        EXPECT_EQ(listBox(name)->lineWrapMode(), QPlainTextEdit::NoWrap) << name;
    }
    for (const char* name : {"IpList", "RefdList"}) {
        FilterListBox* box = listBox(name);
        box->setListText("1\r\n2\r\n3\r\n4\r\n"); // four lines: the final break opens none
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << name;
        EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << name;
        box->setListText("1\r\n2\r\n3\r\n4\r\n5");
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << name;
        EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn) << name;
        box->setPlainText("typed\nby\nhand");
        EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff) << name;
    }
    listBox("SubdList")->setListText("a\rb\nc\r\n"); // every break form reads as a line break
    EXPECT_EQ(listBox("SubdList")->listText(), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(listBox("SubdList")->lineCount(), 3);
}
