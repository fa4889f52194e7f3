// Pictures of every page of the profile editor and of its filter dialogs,
// written like the other windows' pictures into $LARKSPAN_SHOTS_DIR (else
// a temporary folder, where they are only checked to be there).
#include "ProfileEditorFixture.h"
#include "ScreenshotSaver.h"
#include "profiles/AddressFilterDialog.h"
#include "profiles/ReferringDomainFilterDialog.h"
#include "profiles/WebFilterDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRadioButton>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace larkspan;
using namespace larkspan::testing;

class EditorScreenshots : public ProfileEditorFixture {
  protected:
    void shoot(QWidget& widget, const QString& name) { shots.shoot(widget, name); }

    ScreenshotSaver shots{temp.file("shots")};
};

TEST_F(EditorScreenshots, EveryEditorPageAndFilterDialog)
{
    for (const char* web : {"shop", "blog", "intranet"})
        makeWeb(web);
    temp.write("My Profiles/Weekly summary.ip", "10.0.0.1\r\n192.168.1.10,40\r\n172.16.0.1\r\n172.16.0.2\r\n"
                                                "172.16.0.3\r\n172.16.0.4\r\n");
    temp.write("My Profiles/Weekly summary.refd", "www.shop.example\r\nsearch.example\r\n");
    temp.write("My Profiles/Weekly summary.subd", "products,SubDomain\r\nold,Exclude\r\n");
    temp.write("My Profiles/Weekly summary.adds", "ads.example\r\nbanners.example\r\n");
    temp.write("My Profiles/Weekly summary.affs", "partner.example\r\n");
    ProfileEditor& e = open("Weekly summary",
                            "2,14\r\n0,0,url\r\n1,0,www.shop.example\r\n0,1,admin-email\r\n1,1,admin@shop.example\r\n"
                            "0,2,path\r\n1,2,shop\r\n0,3,pre-date\r\n1,3,2\r\n0,4,hitpage\r\n1,4,TRUE\r\n"
                            "0,5,ocsv\r\n1,5,TRUE\r\n0,6,csvpath\r\n1,6,/srv/csv/\r\n0,7,maxrows\r\n1,7,50\r\n"
                            "0,8,page\r\n1,8,TRUE\r\n0,9,browser\r\n1,9,TRUE\r\n0,10,usage\r\n1,10,TRUE\r\n"
                            "0,11,referrers\r\n1,11,TRUE\r\n0,12,obrowser\r\n1,12,TRUE\r\n"
                            "0,13,gengraph\r\n1,13,TRUE\r\n");
    e.resize(700, 560);
    const char* names[] = {"identification", "select-web", "time-period", "report-information",
                           "options",        "filters",    "special"};
    for (int page = 0; page < 7; ++page) {
        e.pages()->setCurrentIndex(page);
        shoot(e, QString("profile-editor-") + names[page]);
    }
    e.hide();

    AddressFilterDialog ip("", messages);
    ip.addressField()->setText("172.16.0.1");
    ip.rangeChoice()->setChecked(true);
    ip.lastOctetField()->setText("55");
    shoot(ip, "profile-editor-add-ip-filter");
    WebFilterDialog web("", messages);
    web.directoryField()->setText("products");
    shoot(web, "profile-editor-web-filter");
    ReferringDomainFilterDialog referrer("", messages);
    referrer.domainField()->setText("www.example.com");
    shoot(referrer, "profile-editor-referring-domain-filter");
}
