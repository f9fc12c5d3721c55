// Where the installation keeps its add-in modules and its programs: the one
// place that knows the installed paths. The library folder plays the part of
// the system folder an add-in expects its module and regsvr32 to be found in.
#pragma once

#include <string>

namespace kvn::com {

// $KORVANE_SYSTEM_FOLDER when set (tests use a folder of their own), else
// the installation's library folder for add-ins (<libdir>/korvane).
std::string systemFolder();

// $KORVANE_REGSVR32 when set, else the installed regsvr32 (<bindir>/regsvr32)
// when it is there, else the bare name "regsvr32", which a program starter
// looks for along PATH.
std::string regsvr32Program();

} // namespace kvn::com
