// The Korvhub module: the class factory of Addin and the registration of the
// add-in, as the host and regsvr32 find them.
#include "addin/addin_object.h"
#include "addin/korvhub_registration.h"
#include "platform/com/addin_module.h"

KVN_ADDIN_MODULE(kvn::Addin, kvn::korvhubRegistration)
