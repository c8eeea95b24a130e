// OdbcDataSources: the data sources configured in the ODBC driver manager (unixODBC),
// user ones first, then system ones, each in the manager's order.
#pragma once

#include <QString>
#include <vector>

namespace qelvor::host {

struct OdbcDataSource {
    QString name;
    QString description;  // the driver's name as the manager describes the source
    bool system = false;  // from the system list (odbc.ini beside odbcinst.ini), else the user's
};

// The configured data sources; empty when there are none or no driver manager answers.
std::vector<OdbcDataSource> ListOdbcDataSources();

}  // namespace qelvor::host
