#include "AboutBox.h"
#include "DataFolderDialog.h"
#include "DesktopFixture.h"
#include "ImportWindow.h"
#include "WebManagerWindow.h"
#include "WebPropertiesEditor.h"
#include "profiles/AddressFilterDialog.h"
#include "profiles/ProfileEditor.h"
#include "profiles/ReferringDomainFilterDialog.h"
#include "profiles/WebFilterDialog.h"
#include "webs/WebStore.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

#include <map>

using namespace larkspan;
using larkspan::testing::DesktopFixture;

namespace {

// The Alt+letter of a caption, or 0: the character after a single "&".
QChar mnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return QChar();
}

using Claims = std::map<QChar, QStringList>;

void claim(Claims& claims, const QString& caption)
{
    if (const QChar letter = mnemonicOf(caption); !letter.isNull()) claims[letter] << caption;
}

// What Alt+letter reaches in the window as it stands: buttons, labels with a
// buddy, group boxes, tabs and the menu bar, as far as they can be seen.
Claims reachable(QWidget& window)
{
    Claims claims;
    for (auto* button : window.findChildren<QAbstractButton*>())
        if (button->isVisibleTo(&window)) claim(claims, button->text());
    for (auto* label : window.findChildren<QLabel*>())
        if (label->buddy() && label->isVisibleTo(&window)) claim(claims, label->text());
    for (auto* group : window.findChildren<QGroupBox*>())
        if (group->isVisibleTo(&window)) claim(claims, group->title());
    for (auto* tabs : window.findChildren<QTabBar*>())
        if (tabs->isVisibleTo(&window))
            for (int i = 0; i < tabs->count(); ++i)
                claim(claims, tabs->tabText(i));
    for (auto* bar : window.findChildren<QMenuBar*>())
        for (QAction* menu : bar->actions())
            claim(claims, menu->text());
    return claims;
}

QStringList clashes(const Claims& claims, const QString& where)
{
    QStringList found;
    for (const auto& [letter, captions] : claims)
        if (captions.size() > 1) found << where + ": Alt+" + letter + " for " + captions.join(", ");
    return found;
}

// Every clash of the window: on each page of its tab widgets in turn, and
// inside each of its menus.
QStringList clashesIn(QWidget& window)
{
    QStringList found;
    const auto tabWidgets = window.findChildren<QTabWidget*>();
    if (tabWidgets.isEmpty()) found << clashes(reachable(window), window.objectName());
    for (QTabWidget* tabs : tabWidgets) {
        const int current = tabs->currentIndex();
        for (int page = 0; page < tabs->count(); ++page) {
            if (!tabs->isTabVisible(page)) continue;
            tabs->setCurrentIndex(page);
            found << clashes(reachable(window), window.objectName() + " page " + tabs->tabText(page));
        }
        tabs->setCurrentIndex(current);
    }
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        Claims claims;
        for (QAction* action : menu->actions())
            claim(claims, action->text());
        found << clashes(claims, window.objectName() + " menu " + menu->title() + menu->objectName());
    }
    return found;
}

} // namespace

TEST(Accelerators, TheLetterIsTheOneAfterASingleAmpersand)
{
    EXPECT_EQ(mnemonicOf("&Run Report"), QChar('r'));
    EXPECT_EQ(mnemonicOf("Server && User &Information"), QChar('i'));
    EXPECT_TRUE(mnemonicOf(" Server && User ").isNull());
}

class AcceleratorsPerWindow : public DesktopFixture {};

TEST_F(AcceleratorsPerWindow, NoTwoControlsOfAWindowShareAnAltLetter)
{
    writeSettings(false, "0", "0");
    temp.write("wwwstats/site/site.dat", "site\r\n1\r\n0\r\nwww.example.com\r\nFALSE\r\n");
    QStringList found;
    found << clashesIn(window());
    ProfileEditor editor(session());
    found << clashesIn(editor);
    WebManagerWindow manager(session());
    found << clashesIn(manager);
    WebStore webs(session().settings(), temp.path());
    WebPropertiesEditor properties(session(), webs);
    found << clashesIn(properties);
    WebPropertiesEditor ftpProperties(session(), webs);
    ftpProperties.findChild<QAbstractButton*>("TypeFtp")->click();
    found << clashesIn(ftpProperties);
    DataFolderDialog folder("/tmp", help);
    found << clashesIn(folder);
    ImportWindow import(session(), "site");
    found << clashesIn(import);
    AboutBox about;
    found << clashesIn(about);
    AddressFilterDialog address("", messages);
    found << clashesIn(address);
    WebFilterDialog webFilter("", messages);
    found << clashesIn(webFilter);
    ReferringDomainFilterDialog referring("", messages);
    found << clashesIn(referring);
    EXPECT_TRUE(found.isEmpty()) << found.join("\n").toStdString();
}
