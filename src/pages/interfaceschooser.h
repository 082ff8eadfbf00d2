#pragma once

#include "core/discovery.h"

#include <QDialog>
#include <QString>

class QComboBox;

namespace vantrel::pages {

// "Interfaces...": every interface the walk of the router's tables found, with its type, state
// and addresses and the role discovery gave it, and the user's choice of the line, WAN and LAN
// interface (an ifIndex text; "" keeps what discovery decides).
class InterfacesChooser : public QDialog {
    Q_OBJECT
public:
    // found: the walk's rows; discovered: what discovery made of them (nullptr: nothing yet);
    // line, wan, lan: the choices in force.
    InterfacesChooser(const core::DiscoveryInput &found, const core::Discovery *discovered,
                      const QString &line, const QString &wan, const QString &lan,
                      QWidget *parent = nullptr);

    QString Line() const;
    QString Wan() const;
    QString Lan() const;

private:
    QComboBox *line_ = nullptr;
    QComboBox *wan_ = nullptr;
    QComboBox *lan_ = nullptr;
};

} // namespace vantrel::pages
