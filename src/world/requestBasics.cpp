// The address and common query of every web request.
#include <cstdlib>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/helperFunctions.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/internet.h"
#include "world/velmoraFunctions.h"

namespace {

void field(Cstring& url, char const* key, Cstring const& value) {
    url += key;
    url += "=";
    url += value;
    url += "&";
}

Cstring number(long value) {
    return Cstring(std::to_string(value).c_str());
}

// Only whole 16-character module records are sent; a cut-off record is left out.
Cstring wholeModuleRecords() {
    int whole = modules.size() / 16 * 16;
    return httpSafeLen(modules.c_str(), whole, false);
}

} // namespace

Cstring& fillStringWithRequestBasics(Cstring& url, char const* path, int level) {
    VTRACE(2, "fswrb " << (path ? path : ""));
    url = webServerAddress() + (path ? path : "");
    if (osID.empty()) {
        OS::getOsVersion();
        if (masterOut.is_open())
            masterOut << "osID"
                      << "|=" << osID << std::endl;
    }
    if (level <= 0) return url;
    field(url, "build", "18");
    field(url, "modules", wholeModuleRecords());
    field(url, "tver", "12960");
    field(url, "totruns", number(numRuns));
    field(url, "numRunsThisVersion", number(numRunsThisVersion));
    field(url, "osver", httpSafe((Cstring("OsX") + osID).c_str(), false));
    field(url, "language", languageCode);
    field(url, "updateDate", number(moduleUpdateDate));
    field(url, "numCrashes", "0");
    field(url, "lng", languageCode);
    field(url, "cn", httpSafe(OS::getCountry(true).c_str(), false));
    field(url, "cnn", httpSafe(OS::getCountry(false).c_str(), false));
    field(url, "contact", httpSafe(contactEmail.c_str(), false));
    field(url, "rand", intToAtoz(OS::getDateSecond() - 184000000));
    field(url, "updater_ver", "15");
    field(url, "os", "mac");
    if (level >= 2) url += "dontSendExecutable=1&";
    field(url, "midD", machineID);
    if (level >= 2) {
        char const* user = std::getenv("USER");
        field(url, "user", httpSafe(user ? user : "", false));
    }
    return url;
}
