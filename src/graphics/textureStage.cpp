// Texture stage commands and the image block of "tex".
#include "graphics/textureStage.h"

#include <cstdio>
#include <fstream>

#include "graphics/numberLimits.h"
#include "graphics/material.h"
#include "graphics/textureImage.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/variableSaverLoader.h"

namespace {

void exitWithText(char const* format, char const* text) {
    char message[1024];
    std::snprintf(message, sizeof message, format, text ? text : "");
    setExitError(message, 1);
}

} // namespace

CtextureStage::CtextureStage() {
    setName("newStage");
    arg1 = getArgConversion("CURRENT");
    arg2 = getArgConversion("TEXTURE");
    combine = getArgConversion("MODULATE");
    resultArg = getArgConversion("CURRENT");
    registerFloat(brighten, "brighten", 0);
}

CtextureStage::~CtextureStage() {
    clear();
}

void CtextureStage::writeSaveString(std::ostream& out) {
    out << ":texStage " << stageNum;
}

void CtextureStage::writeUnregisteredData(std::ostream& out, int indent) {
    out << makeTabs(indent);
    if (tex) {
        out << "unparented ";
        tex->writeSaveString(out);
        out << "\n";
    } else {
        out << ":no texture\n\n";
    }
}

void CtextureStage::clear() {
    if (tex) setTexImage(&tex, nullptr);
}

Cmaterial* CtextureStage::getMaterial() {
    return parent ? dynamic_cast<Cmaterial*>(parent->parent) : nullptr;
}

int CtextureStage::getArgConversion(Cstring const&) {
    return 0;
}

unsigned CtextureStage::processCommand(CscriptHandler* handler, CscriptLine& line) {
    Cstring const& command = line.name;
    if (command == "tex") return texCommand(line);

    static char const* const takesArgument[] = {"customTex", "chans",     "combine", "arg1",
                                                "arg2",      "resultArg", "uvIndex", "volumeRes"};
    for (char const* word : takesArgument) {
        if (command == word && line.tokenCount() < 1) {
            exitWithText("missing argument of stage command %s", word);
            return CMD_STOP;
        }
    }
    Cmaterial* material = getMaterial();
    if (command == "customTex") {
        setTexImage(&tex, nullptr);
        customTex = 1;
        customTexName = line.getString(0, true);
    } else if (command == "chans") {
        if (tex) exitWithText("hint chans must precede 'tex' function in %s", getDiskPath().c_str());
        chansHint = static_cast<int16_t>(truncatedWithin(line.getFloat(0), -32768, 32767));
    } else if (command == "combine" || command == "arg1" || command == "arg2" || command == "resultArg") {
        int code = getArgConversion(line.getString(0, true));
        if (command == "combine") combine = code;
        if (command == "arg1") arg1 = code;
        if (command == "arg2") arg2 = code;
        if (command == "resultArg") resultArg = code;
    } else if (command == "uvIndex") {
        uvIndex = static_cast<int16_t>(truncatedWithin(line.getFloat(0), -32768, 32767));
        uint16_t bit = uvIndex == 1 ? CHAN_TEX2 : uvIndex == 0 ? CHAN_TEX1 : 0;
        if (bit) VTRACE(2, (bit == CHAN_TEX2 ? "ADDING TEX2" : "ADDING TEX1"));
        if (bit && material && !(material->streamChans[STREAM_DYNAMIC] & bit))
            material->addStreamChan(STREAM_STATIC, static_cast<short>(bit));
    } else if (command == "volumeRes") {
        if (tex) {
            tex->kind = 2;
            tex->volumeRes = static_cast<uint16_t>(truncatedWithin(line.getFloat(0), 0, 65535));
        } else {
            setExitError("volume res problem", 1);
        }
    } else if (command == "useAlpha") {
        if (material) material->alphaStage = stageNum;
    } else {
        return parent ? parent->processCommand(handler, line) : CMD_NOT_HANDLED;
    }
    return CMD_DONE;
}

unsigned CtextureStage::texCommand(CscriptLine& line) {
    bool hasBlock = line.firstChild != nullptr;
    Cmaterial* material = getMaterial();
    if (line.tokenCount() == 0) {
        setTexImage(&tex, requestTexMap("", "", 4));
        if (tex) tex->setName("pc");
        VTRACE(2, "created pc from " << getDiskPath() << " " << name << " ");
        line.showScriptLine();
        return runImageBlock(line);
    }
    Cstring texName = line.getString(0, true);
    if (texName == "null" || texName.empty()) {
        if (texName == "null") {
            if (material) material->visible = 0;
            setTexImage(&tex, nullptr);
        }
        // A block needs an image to build: it gets a new empty one, as bare "tex" does.
        if (hasBlock) {
            setTexImage(&tex, requestTexMap("", "", 4));
            if (tex) tex->setName("pc");
        }
        return runImageBlock(line);
    }
    Cstring folder = getDiskPath();
    setTexImage(&tex, requestTexMap(texName.c_str(), folder.c_str(), chansHint));
    if (tex == nullptr) {
        exitWithText("Couldn't find tex %s", texName.c_str());
        return CMD_STOP;
    }
    return runImageBlock(line);
}

unsigned CtextureStage::runImageBlock(CscriptLine& line) {
    if (line.firstChild == nullptr || tex == nullptr) return CMD_DONE;
    VTRACE(2, "use script to generate image.  before texImage=" << static_cast<void const*>(tex));
    tex->setDiskPath(getDiskPath());
    tex->preScript();
    if (runScriptLines(tex, line.firstChild) != 0) {
        setExitError("couldn't run image script", 1);
        return CMD_STOP; // the stage, and so the material, failed
    }
    tex->postScript();
    return CMD_DONE;
}
