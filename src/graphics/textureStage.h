// Texture stages: one texture unit of a material.
//
// A stage names the image its unit samples (or a per-thing custom texture), the channel
// count to ask of the image look-up, which texture-coordinate set feeds it, and combine
// settings the shader programs make moot. A material's "addStage" block runs the stage
// commands; a "tex" line's own block builds or edits the image with the image commands.
#pragma once

#include <cstdint>

#include "variables/safeRelationship.h"

class Cmaterial;
class CtextureImage;

class CtextureStage : public CsafeRelationship {
  public:
    // Defaults; registers "brighten".
    CtextureStage();
    // Releases the image.
    ~CtextureStage() override;
    void writeSaveString(std::ostream& out) override;
    void writeUnregisteredData(std::ostream& out, int indent) override;
    // The stage commands: 0 handled, 2 when the named image cannot be found or the line is
    // refused; anything else climbs to the parent (and so to the material).
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;

    // Releases the image.
    void clear();
    // The material this stage belongs to (its parent's parent); null when detached.
    Cmaterial* getMaterial();
    // The device's code of a combine word; every word is 0.
    static int getArgConversion(Cstring const& word);

    CtextureImage* tex = nullptr; // assigned only through setTexImage
    int32_t arg1 = 0;
    int32_t arg2 = 0;
    int32_t combine = 0;
    int32_t resultArg = 0;
    int16_t stageNum = 0;
    int16_t chansHint = -1; // -1: as stored
    int16_t uvIndex = 0;    // 0 first texture coordinates, 1 second
    float brighten = 1.0f;
    uint16_t customTex = 65535; // 65535: none; 1: the thing's texture named customTexName
    Cstring customTexName;

  private:
    unsigned texCommand(CscriptLine& line);
    // Runs the "tex" line's block on the image, between the image commands' set-up and
    // finish. 0 done; 2 when the block failed (recorded).
    unsigned runImageBlock(CscriptLine& line);
};
