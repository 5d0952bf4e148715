// The "rotater" and "rotate" commands: build rotaters from script blocks and drive them.

#include "script/rotaterVar.h"
#include "script/scriptCommands.h"
#include "script/variableSearch.h"
#include "support/engineHooks.h"
#include "support/cerr.h"

namespace {

void reportChanged(Cvariable* master) {
    // Only a master that sits in the tree can be a setting of anyone.
    if (engineHooks.rotaterSettingChanged && master && master->parent)
        engineHooks.rotaterSettingChanged(master);
}

} // namespace

int commandRotater(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* self = handler->thisObject;
    Cstring name = line.getString(0, true);
    if (erroredExit) return CMD_STOP;
    if (Cvariable* old = self->findVariable(name.c_str())) deleteVariableInUse(old, self, &line);
    auto* rotater = new CrotaterVar();
    rotater->setName(name);
    // Every array line makes a new child, so repeated "x" choices all stay.
    rotater->flags |= VAR_UNIQUE_DIRECTORIES;
    if (self->addVariable(rotater, 0) == nullptr) {
        delete rotater;
        setExitError("couldn't add rotater", 1);
        return CMD_STOP;
    }
    if (line.firstChild) runScript(rotater, line.firstChild);
    // The block's lines prepended their nodes; put them back in written order.
    rotater->reverseChildren();
    return commandEnding();
}

int commandRotate(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* self = handler->thisObject;
    Cstring path = line.getString(0, true);
    Cstring keyword = line.getString(1, true);
    if (erroredExit) return CMD_STOP;
    Cvariable* found = searchUpParentsForVariable(self, path.c_str());
    if (found == nullptr) {
        commandExitWith("Couldn't find rotater: %s", path.c_str());
        return CMD_STOP;
    }
    if (found->getType() != TYPE_ROTATER) return commandEnding();
    auto* rotater = static_cast<CrotaterVar*>(found);

    if (keyword == "next") {
        reportChanged(rotater->master);
        rotater->rotate(1);
    } else if (keyword == "set") {
        double value = line.getFloat(2);
        if (erroredExit) return CMD_STOP;
        rotater->set(static_cast<float>(value));
        reportChanged(rotater->master);
    } else if (keyword == "refresh") {
        rotater->rotate(0);
    } else if (keyword == "master" || keyword == "masterExclusive") {
        if (line.tokenCount() < 3) {
            line.getString(2, true); // records the missing token
            return CMD_STOP;
        }
        Cstring const& raw = line.tokens[2];
        Cstring masterPath = (raw.size() > 0 && raw.c_str()[0] == '$') ? raw.substr(1, raw.size() - 1)
                                                                       : line.getString(2, true);
        Cvariable* master = searchUpParentsForVariable(self, masterPath.c_str());
        if (master == nullptr) {
            commandExitWith("nofind rotater master %s %s", keyword.c_str(), masterPath.c_str());
            return CMD_STOP;
        }
        // One master, one rotater: the one there before lets go.
        Cvariable* previous = master->getSlave("rotater");
        if (previous && previous != rotater && previous->getType() == TYPE_ROTATER)
            static_cast<CrotaterVar*>(previous)->setMaster(nullptr);
        rotater->setMaster(master);
    } else {
        setExitError("nofind rotate token", 1);
        return CMD_STOP;
    }
    return commandEnding();
}
