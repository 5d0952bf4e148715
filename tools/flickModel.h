// The flick model: our own fish, alone in open water, made to flick from a straight start,
// with its head followed frame by frame. It is what the recorded flick paths come from.
#pragma once

#include <filesystem>
#include <string>

#include "data/dataArray.h"
#include "variables/variable.h"

class CflickTank;

// Where the head went, in the start frame of the head: side (towards positive side axis),
// forward, in body lengths; and the head's heading change in radians.
struct FlickStep {
    float side = 0.0f;
    float forward = 0.0f;
    float heading = 0.0f;
};

class CflickModel {
  public:
    // Runs fish from the arrays under root (the resource tree's root); the working folder
    // is root while the model lives.
    explicit CflickModel(std::string const& root);
    ~CflickModel();
    CflickModel(CflickModel const&) = delete;
    CflickModel& operator=(CflickModel const&) = delete;

    // Places a fish heading along +z at startSpeed, starts a flick of `radians` (positive
    // turns towards the side axis' heading), runs steps frames and writes the head's path
    // into out[0 .. steps - 1] (out[0] the start). False when root could not be entered,
    // the fish could not be made, refused the flick or left an exit reason.
    bool run(float radians, float startSpeed, int steps, FlickStep* out);
    // Runs the whole grid of volume (shaped by shapeFlickPaths) and stores each path,
    // sideways towards the turn. False when a run failed.
    bool record(CdataVolume& volume);

  private:
    std::filesystem::path savedCwd;
    bool inRoot = false;
    Cvariable* savedResources = nullptr;
    uint16_t savedDiskAlways = 0;
    CdirectoryVar resources;
    CdirectoryVar root;
    CflickTank* tank = nullptr;
};
