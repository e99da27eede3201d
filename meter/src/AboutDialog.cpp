#include "AboutDialog.h"

#include <meter/LibraryInfo.h>
#include <meter/ToolboxIcon.h>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace meter::detail {

namespace {
QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About %1").arg(FromView(Identity::ControlTypeName)));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(ToolboxIcon().scaled(32, 30));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(FromView(VersionInfo::FileDescription), this);
    name->setObjectName(QStringLiteral("name"));
    auto* version = new QLabel(
        tr("Version %1")
            .arg(QString::fromLatin1(LoadedLibraryVersion().data(),
                                     static_cast<qsizetype>(LoadedLibraryVersion().size()))),
        this);
    version->setObjectName(QStringLiteral("version"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(version);
    text->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

}  // namespace meter::detail
