// What the fish benchmarks share: repeatable numbers and goals, the build's fish arrays, and
// a tank's avoidance list measured over every pair.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "fish/fish.h"
#include "support/cerr.h"

namespace fishBench {

inline float uniform(std::minstd_rand& rng, float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(rng() - rng.min()) / static_cast<float>(rng.max() - rng.min());
}

// Goals lie in open water, well inside the tank's walls.
inline Cvector newGoal(std::minstd_rand& rng) {
    return Cvector(uniform(rng, -4, 4), uniform(rng, 0.8f, 5), uniform(rng, -2.5f, 2.5f));
}

// The fish's swimming and turning arrays as the build generates them, copied under the
// working folder; false when the build made none.
inline bool copyArrays() {
#ifdef VELMORA_GENERATED_RESOURCE_DIR
    std::filesystem::path from = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "species/std_fish/arrays";
    std::error_code ec;
    if (!std::filesystem::is_directory(from, ec)) return false;
    std::filesystem::create_directories("species/std_fish/arrays");
    std::filesystem::copy(
        from, "species/std_fish/arrays",
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
#else
    return false;
#endif
}

// For its life: a working folder of that name holding the build's fish arrays, a resource
// tree for the fish, and no exit reasons; ready() is false when the build made no arrays.
class CfishBenchFolder {
  public:
    explicit CfishBenchFolder(char const* name) : cwd(std::filesystem::current_path()) {
        auto dir = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
        ok = copyArrays();
        sharedResourceTree = &resources;
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        resourcesDir->checkDiskAlways = 1;
        exitReasonList.clear();
    }
    ~CfishBenchFolder() {
        resources.deleteChildren();
        sharedResourceTree = nullptr;
        std::filesystem::current_path(cwd);
    }
    CfishBenchFolder(CfishBenchFolder const&) = delete;
    CfishBenchFolder& operator=(CfishBenchFolder const&) = delete;
    bool ready() const { return ok; }

  private:
    std::filesystem::path cwd;
    CdirectoryVar resources;
    bool ok = false;
};

// The fish within range of thing (squared distances between their fourth points), as a
// tank's proximities would list them.
inline int avoidanceList(std::vector<Cfish*> const& fish, Cthing* thing, float range, Cthing** out,
                         float* dist, int capacity) {
    int n = 0;
    Cvector const& at = static_cast<Cfish*>(thing)->vertex[4];
    for (Cfish* other : fish) {
        if (other == thing) continue;
        float q = (other->vertex[4] - at).lengthSquared();
        if (q < range && n < capacity) out[n] = other, dist[n++] = q;
    }
    return n;
}

} // namespace fishBench
