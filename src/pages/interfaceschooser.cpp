#include "pages/interfaceschooser.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vantrel::pages {

namespace {

QString indexText(const std::optional<std::int64_t> &index) {
    return index ? QString::number(*index) : QString();
}

// The role discovery gave an interface, as the list shows it.
QString roleOf(const core::Discovery *d, std::int64_t index) {
    if (d == nullptr)
        return QString();
    QStringList roles;
    if (d->line == index)
        roles << QStringLiteral("%1 line").arg(
            QString::fromLatin1(core::LineKindText(d->lineKind)));
    if (std::find(d->channels.begin(), d->channels.end(), index) != d->channels.end())
        roles << QStringLiteral("channel");
    if (d->wan == index)
        roles << QStringLiteral("WAN");
    if (d->lan == index)
        roles << QStringLiteral("LAN");
    return roles.join(QStringLiteral(", "));
}

QString statusText(const std::optional<std::int64_t> &status) {
    if (!status)
        return QString();
    switch (*status) {
    case 1:
        return QStringLiteral("up");
    case 2:
        return QStringLiteral("down");
    case 3:
        return QStringLiteral("testing");
    default:
        return QString::number(*status);
    }
}

// A choice box: "As discovered" first, then every interface found; a chosen index the router
// does not list now is kept as an entry of its own.
QComboBox *chooser(QWidget *parent, const char *name, const core::DiscoveryInput &found,
                   const QString &chosen) {
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItem(QStringLiteral("As discovered"), QString());
    for (const core::InterfaceRow &row : found.interfaces)
        box->addItem(QStringLiteral("%1 (interface %2)")
                         .arg(core::InterfaceLabel(found, row.index))
                         .arg(row.index),
                     QString::number(row.index));
    if (!chosen.isEmpty() && box->findData(chosen) < 0)
        box->addItem(QStringLiteral("interface %1 (not listed by the router)").arg(chosen), chosen);
    box->setCurrentIndex(std::max(0, box->findData(chosen)));
    return box;
}

} // namespace

InterfacesChooser::InterfacesChooser(const core::DiscoveryInput &found,
                                     const core::Discovery *discovered, const QString &line,
                                     const QString &wan, const QString &lan, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("InterfacesChooser"));
    setWindowTitle(QStringLiteral("Interfaces"));
    auto *layout = new QVBoxLayout(this);

    auto *table = new QTableWidget(int(found.interfaces.size()), 6, this);
    table->setObjectName(QStringLiteral("Interfaces_Table"));
    table->setHorizontalHeaderLabels({QStringLiteral("Index"), QStringLiteral("Name"),
                                      QStringLiteral("Description"), QStringLiteral("Type"),
                                      QStringLiteral("Status"), QStringLiteral("Role")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->hide();
    table->setWordWrap(false);
    int r = 0;
    for (const core::InterfaceRow &row : found.interfaces) {
        const QString cells[] = {
            QString::number(row.index),        QString::fromStdString(row.name),
            QString::fromStdString(row.descr), indexText(row.type),
            statusText(row.operStatus),        roleOf(discovered, row.index)};
        for (int c = 0; c < 6; ++c)
            table->setItem(r, c, new QTableWidgetItem(cells[c]));
        ++r;
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table, 1);
    if (found.interfaces.empty())
        layout->addWidget(new QLabel(
            QStringLiteral("No interfaces were found by walking the router's tables."), this));

    auto *form = new QFormLayout;
    line_ = chooser(this, "Line_Combo", found, line);
    wan_ = chooser(this, "Wan_Combo", found, wan);
    lan_ = chooser(this, "Lan_Combo", found, lan);
    form->addRow(QStringLiteral("DSL &line:"), line_);
    form->addRow(QStringLiteral("&WAN:"), wan_);
    form->addRow(QStringLiteral("L&AN:"), lan_);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 420);
}

QString InterfacesChooser::Line() const {
    return line_->currentData().toString();
}

QString InterfacesChooser::Wan() const {
    return wan_->currentData().toString();
}

QString InterfacesChooser::Lan() const {
    return lan_->currentData().toString();
}

} // namespace vantrel::pages
