// The Korvsweep module: the class factory of the clean-up add-in and its
// registration, as the host and regsvr32 find them.
#include "platform/com/addin_module.h"
#include "sweep/korvsweep_registration.h"
#include "sweep/sweep_addin.h"

KVN_ADDIN_MODULE(kvn::SweepAddin, kvn::korvsweepRegistration)
