#include "AboutBox.h"

#include "DesktopIcons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace larkspan {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("aboutBox");
    setWindowTitle("About Larkspan");
    setModal(true);

    auto* picture = new QLabel;
    picture->setPixmap(icons::application().pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto* product = new QLabel("<b>Larkspan Kite</b>");
    product->setObjectName("ProductName");
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    product->setFont(big);
    auto* release = new QLabel(kRelease);
    release->setObjectName("Version");
    auto* what = new QLabel("Larkspan (tm) Log Analysis Solution. Imports web server access logs and writes HTML "
                            "reports of pages, downloads, visitors, referrals and more.");
    what->setWordWrap(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(release);
    texts->addSpacing(8);
    texts->addWidget(what);
    texts->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox;
    QPushButton* close = buttons->addButton("Close", QDialogButtonBox::AcceptRole);
    close->setObjectName("OKButton");
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(400, 200)));
}

} // namespace larkspan
