#include "app/appWiring.h"

#include "app/velmoraView.h"
#include "host/gtkHost.h"
#include "program/programWiring.h"

void wireApp() {
    wireProgram();
    installViewHooks();
    installSheetHooks();
    installGtkHost();
    addBuiltPart("app");
    addBuiltPart("options");
}
