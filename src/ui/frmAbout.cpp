#include "ui/frmAbout.h"

#include "Version.h"
#include "shell/MainModule.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(AppTitle);
    auto* text = new QLabel(QStringLiteral("<h3>Pavisto</h3><p>Version %1.%2.%3</p>"
                                           "<p>A whole folder tree of photographs as one wall of thumbnails.</p>")
                                .arg(Version::Major)
                                .arg(Version::Minor)
                                .arg(Version::Revision),
                            this);
    text->setObjectName(QStringLiteral("lblAbout"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(ok, 0, Qt::AlignRight);
}
