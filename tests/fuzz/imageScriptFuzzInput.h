// One fuzz input for image scripts: the bytes run as an image script on a small texture
// after a fixed preamble that makes a few work images for them to use.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "../host/fakeHostServices.h"
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/textureImage.h"
#include "script/mathSolver.h"
#include "script/scripter.h"
#include "support/cerr.h"

// While it lives, script lines reach only the image commands: the built-in commands are
// taken out of the table (and put back afterwards), and whatever platform call is left is
// recorded by a stand-in instead of touching files or the shell.
class CimageScriptFuzzScope {
  public:
    CimageScriptFuzzScope() {
        for (std::string const& keyword : keywords())
            saved.push_back(getBuiltinCommand(keyword.c_str()));
        for (std::string const& keyword : keywords())
            setBuiltinCommand(keyword.c_str(), nullptr);
    }
    ~CimageScriptFuzzScope() {
        size_t i = 0;
        for (std::string const& keyword : keywords())
            setBuiltinCommand(keyword.c_str(), saved[i++]);
    }
    CimageScriptFuzzScope(CimageScriptFuzzScope const&) = delete;
    CimageScriptFuzzScope& operator=(CimageScriptFuzzScope const&) = delete;

  private:
    static std::vector<std::string> const& keywords() {
        static std::vector<std::string> const list = [] {
            std::istringstream words("if elseif else label exit0 msgbox startHttpRequest httpRequestAndRun "
                                     "download saveVar delete runString loadScript runScript set setmask "
                                     "setPriority sendReport exit exiterr srand webpage progress mfile "
                                     "storeReg mdir renameFile deleteFile system var forEachChild setParent "
                                     "addPath setPath mkdir nosave save int string s short float dir array "
                                     "rotater rotate cd setExitErr name addGeo addChan addImage addVolume "
                                     "cerr CERR addScript script appendScript");
            std::vector<std::string> out;
            for (std::string w; words >> w;)
                out.push_back(w);
            return out;
        }();
        return list;
    }
    CfakeHostServices host;
    std::vector<BuiltinCommand> saved;
};

inline void runImageScriptFuzzInput(uint8_t const* data, size_t size) {
    char const* text = reinterpret_cast<char const*>(data);
    // Device files never end or block; image scripts name resource files only.
    for (char const* word : {"dev/", "proc/", "sys/"})
        if (std::search(text, text + size, word, word + std::strlen(word)) != text + size) return;

    static CscriptVar preamble;
    static bool ready = [] {
        preamble.processStringScript(":buffer -name a -res 7 5 -chans 4\n:buffer -name b -res 7 5 -chans 1\n"
                                     ":buffer -name c -res 3 2\n:simpleRamp b\n");
        return true;
    }();
    (void)ready;
    CscriptVar script;
    script.processStringScript(text, size);

    int32_t savedWidth = maxTexWidth, savedHeight = maxTexHeight;
    maxTexWidth = maxTexHeight = 64; // keeps every work image small
    resetExitState();
    scriptError = 0;
    mathSolver.clearError();
    {
        CdirectoryVar scratch;
        auto* texture = new CtextureImage;
        texture->setName("texture");
        texture->setParent(&scratch, 0);
        texture->setDiskPath(".");
        texture->allocateDataArray(2);
        texture->array->init(3, 2, 1, 4, 1);
        texture->preScript();
        runScript(texture, &preamble);
        runScript(texture, &script);
        texture->postScript();
        images.clear();
        lastImageAltered = nullptr;
    }
    maxTexWidth = savedWidth;
    maxTexHeight = savedHeight;
    resetExitState();
    scriptError = 0;
    mathSolver.clearError();
}
