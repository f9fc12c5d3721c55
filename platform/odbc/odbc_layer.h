// Internal to the unixODBC layer: the two halves that realOdbc() joins, the
// installer calls on odbc.ini and the driver-manager calls.
#pragma once

#include "platform/odbc/odbc.h"

namespace kvn::odbc::layer {

bool userDataSourceExists(std::string_view name);
Status writeUserDataSource(std::string_view name, std::string_view driver, const std::vector<Attribute>& attributes);
Connected connect(std::string_view connectString);

} // namespace kvn::odbc::layer
