#include "ui/FormAbout.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CFormAbout::CFormAbout(const QString& displayName, const QString& version, const QString& email,
                       const QString& webAddress, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("About"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(displayName + " " + version, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    layout->addWidget(new QLabel("Email: " + email, this));
    layout->addWidget(new QLabel("Web: " + webAddress, this));
    // The live cloud maps' licence asks for this wherever their pictures are shown.
    layout->addWidget(new QLabel(QString("Clouds: ") + CloudCredit, this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* webPage = buttons->addButton(tr("Web Page"), QDialogButtonBox::ActionRole);
    connect(webPage, &QPushButton::clicked, this, &CFormAbout::webPageRequested);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
